// The yardstick of the start-up benchmark: a bare Qt main window with a menu bar, shown
// at the screen's size as the program's main window is.

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&Datei"));
    file->addAction(QStringLiteral("&Öffnen..."));
    file->addAction(QStringLiteral("&Beenden"), &app, &QApplication::quit);
    window.menuBar()->addMenu(QStringLiteral("&Hilfe"))->addAction(QStringLiteral("Info"));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window.resize(screen->availableGeometry().size());
    window.showMaximized();
    return QApplication::exec();
}
