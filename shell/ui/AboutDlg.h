#pragma once
// "Info über das Programm": the application icon, the version line and OK.

#include <QDialog>
#include <QString>

/// The version text of a dotted version "a.b.c.d" (missing parts 0): all four parts
/// when c or d is not 0, else "a.b" when a or b is not 0, else "". Parts above 65535 or
/// text that is no version give "".
QString FileVersionText(const QString& version);

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
