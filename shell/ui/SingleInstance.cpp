#include "shell/ui/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

// The hand-over: a greeting line, for a print request a line "PRINT", a tab and the
// printer's name (empty for the print dialog), one line per file (UTF-8, absolute, so
// never taken for the print line), an end line; the running program answers "OK" once it
// has taken the request.
const QByteArray kGreeting = "QUORVANT-OPEN 1\n";
const QByteArray kPrint = "PRINT\t";
const QByteArray kEnd = "END\n";
const QByteArray kAnswer = "OK\n";
// A message larger than this is not a hand-over.
constexpr qint64 kMaxMessage = 1 << 20;

} // namespace

QString InstanceServerName(const QString& programDir)
{
    // Per user, graphical session and installation: a start on another display or in
    // another login session runs a program of its own, and two builds side by side do
    // not meet.
    QByteArray user = qgetenv("USER");
    if (user.isEmpty())
        user = qgetenv("LOGNAME");
    // The display names the session; the same X display on another screen (":0.1") is
    // the same session. Without any display, the login session decides.
    QByteArray session = qgetenv("WAYLAND_DISPLAY");
    if (session.isEmpty()) {
        session = qgetenv("DISPLAY");
        const qsizetype colon = session.lastIndexOf(':');
        const qsizetype dot = session.indexOf('.', colon);
        if (colon >= 0 && dot > colon)
            session.truncate(dot);
    }
    if (session.isEmpty())
        session = "session " + qgetenv("XDG_SESSION_ID");
    const QByteArray key =
        user + '\n' + session + '\n' + QDir::cleanPath(programDir).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex();
    const QString name = QStringLiteral("quorvant-") + QString::fromLatin1(hash.left(16));
    // The user's runtime folder is private to them; without it the system's default.
    const QString runtime = QFile::decodeName(qgetenv("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(name);
    return name;
}

namespace {

QByteArray OneLine(QString text)
{
    text.remove(QLatin1Char('\n'));
    return text.toUtf8() + '\n';
}

bool Send(const QString& name, QByteArray message, const QStringList& files, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    for (const QString& file : files)
        message += OneLine(file);
    message += kEnd;
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(timeoutMs))
        answer += socket.readAll();
    socket.disconnectFromServer();
    return answer == kAnswer;
}

} // namespace

bool SendToRunningInstance(const QString& name, const QStringList& files, int timeoutMs)
{
    return Send(name, kGreeting, files, timeoutMs);
}

bool SendPrintToRunningInstance(const QString& name, const QStringList& files,
                                const QString& printer, int timeoutMs)
{
    return Send(name, kGreeting + kPrint + OneLine(printer), files, timeoutMs);
}

cInstanceServer::cInstanceServer(QString name, QObject* parent)
    : QObject(parent), m_strName(std::move(name)), m_server(new QLocalServer(this))
{
    // Only this user may hand files to the program.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &cInstanceServer::OnConnection);
}

cInstanceServer::~cInstanceServer() = default;

bool cInstanceServer::Listen()
{
    if (m_server->isListening())
        return true;
    // Listening would quietly replace another program's socket, so ask first: a running
    // program answers, the name of one that crashed does not.
    QLocalSocket probe;
    probe.connectToServer(m_strName);
    if (probe.waitForConnected(1000)) {
        probe.abort();
        return false;
    }
    QLocalServer::removeServer(m_strName);
    return m_server->listen(m_strName);
}

bool cInstanceServer::IsListening() const
{
    return m_server->isListening();
}

void cInstanceServer::OnConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadable(socket); });
        if (socket->bytesAvailable() > 0)
            OnReadable(socket);
    }
}

void cInstanceServer::OnReadable(QLocalSocket* socket)
{
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    if (buffer.size() > kMaxMessage || !kGreeting.startsWith(buffer.left(kGreeting.size()))) {
        socket->abort();
        return;
    }
    const qsizetype endAt = buffer.indexOf("\n" + kEnd);
    if (endAt < 0 || !buffer.startsWith(kGreeting)) {
        socket->setProperty("buffer", buffer);
        return;
    }
    socket->setProperty("buffer", QByteArray());
    const QByteArray body = buffer.mid(kGreeting.size(), endAt + 1 - kGreeting.size());
    QStringList files;
    bool print = false;
    QString printer;
    for (const QByteArray& line : body.split('\n')) {
        if (line.startsWith(kPrint)) {
            print = true;
            printer = QString::fromUtf8(line.mid(kPrint.size()));
        } else if (!line.isEmpty()) {
            files.append(QString::fromUtf8(line));
        }
    }
    socket->write(kAnswer);
    socket->flush();
    // Opening or printing the files shows message boxes with event loops of their own, in
    // which the socket may end and be deleted: never do it inside the socket's own signal.
    QMetaObject::invokeMethod(
        this,
        [this, files, print, printer] {
            if (print)
                emit PrintRequested(files, printer);
            else
                emit FilesReceived(files);
        },
        Qt::QueuedConnection);
}
