#pragma once
// The help window: hilfe_vdr.html from the program's folder in a text browser of the
// program's own, so that help works on every desktop. Links inside the page are followed
// here, "Zurück" and "Vorwärts" walk the pages seen, and "Extern öffnen" hands the page to
// the desktop's browser for whoever prefers it.

#include <QString>
#include <QWidget>

class QPushButton;
class QTextBrowser;

class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    /// file is the full path of the help page.
    explicit CHelpWindow(const QString& file, QWidget* parent = nullptr);

    /// Shows the window in front, at the start of the page the first time.
    void ShowHelp();
    [[nodiscard]] QTextBrowser* Browser() const { return m_pBrowser; }

private:
    void OpenExternally();

    QString m_strFile;
    QTextBrowser* m_pBrowser = nullptr;
    QPushButton* m_pBack = nullptr;
    QPushButton* m_pForward = nullptr;
};
