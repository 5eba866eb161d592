#pragma once
// The picture window: shows one task picture until it is clicked.

#include "ui/Picture.h"

#include <QDialog>
#include <QString>

class CPictureDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPictureDlg(QString path, QWidget* parent = nullptr);

    /// Loads the picture and sizes the window to it. False when the picture could not be
    /// loaded (the message has been shown); the window is then not worth showing.
    bool Prepare();
    /// Prepare() and run the window modally; returns at once when loading failed.
    int exec() override;

    [[nodiscard]] const cPicture& Picture() const { return m_picture; }

    /// Shows the picture at path in its window until the user clicks it.
    static void ShowPicture(const QString& path, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString m_strPath;
    cPicture m_picture;
    bool m_bPrepared = false;
    bool m_bLoaded = false;
};
