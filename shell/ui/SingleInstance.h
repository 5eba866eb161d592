#pragma once
// One program per user and graphical session: a second start hands its files to the
// running program through a local socket and ends.

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

/// Socket name shared by every start of the program in programDir for this user in this
/// graphical session (WAYLAND_DISPLAY, else DISPLAY, else XDG_SESSION_ID); a path in
/// XDG_RUNTIME_DIR when that folder exists.
QString InstanceServerName(const QString& programDir);

/// Hands files to the program listening at name (an empty list only brings its window
/// to the front). True when that program confirmed it took them.
bool SendToRunningInstance(const QString& name, const QStringList& files, int timeoutMs = 3000);

/// Hands a print request to the program listening at name: it prints the files to the
/// named printer, or through its print dialog when printer is empty. True when that
/// program confirmed it took the request.
bool SendPrintToRunningInstance(const QString& name, const QStringList& files,
                                const QString& printer, int timeoutMs = 3000);

class cInstanceServer : public QObject {
    Q_OBJECT
public:
    explicit cInstanceServer(QString name, QObject* parent = nullptr);
    ~cInstanceServer() override;

    /// Starts listening. False when another running program already listens at the name;
    /// a name left behind by a program that crashed is taken over.
    bool Listen();
    [[nodiscard]] bool IsListening() const;

signals:
    /// A later start handed these files over (possibly none: just show the window).
    void FilesReceived(const QStringList& files);
    /// A later start asked to print these files (to printer; "" asks with the dialog).
    void PrintRequested(const QStringList& files, const QString& printer);

private:
    void OnConnection();
    void OnReadable(QLocalSocket* socket);

    QString m_strName;
    QLocalServer* m_server = nullptr;
};
