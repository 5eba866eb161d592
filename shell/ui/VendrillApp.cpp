#include "shell/ui/VendrillApp.h"

#include "base/Message.h"
#include "learning/ui/ProgressExport.h"
#include "shell/ui/Icons.h"
#include "shell/ui/MainFrame.h"
#include "ui/MessageBoxPresenter.h"
#include "shell/ui/PrintRequest.h"
#include "ui/ProgramDir.h"
#include "shell/ui/SingleInstance.h"
#include "shell/ui/StartOptions.h"
#include "ui/SoundPlayer.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>
#include <QUrl>

#include <iostream>

QStringList CommandLineFiles(const QStringList& arguments, const QString& currentDir)
{
    QStringList files;
    const QDir dir(currentDir);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg.isEmpty() || (arg.startsWith(QLatin1Char('-')) && arg.size() > 1))
            continue;
        QString path = arg;
        if (arg.startsWith(QStringLiteral("file:"))) {
            const QUrl url(arg);
            if (!url.isLocalFile())
                continue;
            path = url.toLocalFile();
        }
        files.append(QDir::cleanPath(dir.absoluteFilePath(path)));
    }
    return files;
}

int RunQuorvant(int& argc, char** argv)
{
    // The chart page runs its own offscreen application and opens no window.
    if (IsChartCommandLine(argc, argv))
        return RunChartCommandLine(argc, argv);
    ChooseMediaBackend();
    // Print requests show no window of their own, so they also run without a display;
    // anything else would end in Qt's abort: say why instead.
    if (!DisplayAvailable()) {
        if (!IsPrintCommandLine(argc, argv)) {
            std::cerr << kNoDisplayText << '\n';
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvant"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVANT_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quorvant"));
    QApplication::setWindowIcon(AppIcon());

    // Qt's own dialogs (file choice, page setup) in German where the translation exists.
    QTranslator qtGerman;
    if (qtGerman.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtGerman);
    // The user interface is German throughout, also the file types Qt names by locale.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    const cStartRequest request = ParseStartRequest(QApplication::arguments(), QDir::currentPath());
    if (request.kind != cStartRequest::Kind::Open)
        return RunStartRequest(request);
    const QStringList files = CommandLineFiles(QApplication::arguments(), QDir::currentPath());

    // A program that is already running takes the files and shows them.
    const QString name = InstanceServerName(ProgramDirPath());
    cInstanceServer server(name);
    if (!server.Listen() && SendToRunningInstance(name, files))
        return 0;

    cMessageBoxPresenter presenter;
    SetMessagePresenter(&presenter);
    int status = 0;
    {
        CMainFrame frame;
        QObject::connect(&server, &cInstanceServer::FilesReceived, &frame,
                         &CMainFrame::OpenHandedFiles);
        QObject::connect(&server, &cInstanceServer::PrintRequested, &frame,
                         &CMainFrame::PrintHandedFiles);
        // Without a window manager "maximized" means nothing: start at the screen's size.
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            frame.resize(screen->availableGeometry().size());
        frame.showMaximized();
        // A file that cannot be opened is reported; the program still starts.
        for (const QString& file : files)
            frame.OpenDocumentFile(file);
        status = QApplication::exec();
    }
    SetMessagePresenter(nullptr);
    return status;
}
