#include "shell/ui/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <cerrno>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The hand-over: a greeting line, for a print request "P", the length of the printer's
// name (UTF-8, empty for the print dialog), a line feed and the name; then per file "F",
// the length of its name in bytes (as the file system spells it), a line feed and the
// name; an end line. Lengths let any name but one with NUL through unchanged. The
// running program answers "OK" once it has taken the request.
const QByteArray kGreeting = "QUORVANT-OPEN 2\n";
const QByteArray kEnd = "END\n";
const QByteArray kAnswer = "OK\n";
// A message larger than this is not a hand-over.
constexpr qint64 kMaxMessage = 1 << 20;

QByteArray Field(char tag, const QByteArray& bytes)
{
    return tag + QByteArray::number(bytes.size()) + '\n' + bytes;
}

// Whether the socket fd's other end runs as this user.
bool PeerIsUser(qintptr fd)
{
    ucred peer {};
    socklen_t size = sizeof peer;
    return fd >= 0 && getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == getuid();
}

// A folder that only this user may enter: created with mode 0700, or one already there
// that is no link, belongs to the user and lets nobody else in.
bool PrivateFolder(const QByteArray& path, bool create)
{
    if (create && mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    return lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
           (st.st_mode & 077) == 0;
}

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
    // The user's runtime folder is private to them; without it a private folder of
    // theirs in the temporary folder. A folder someone else made there is never used.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && PrivateFolder(runtime, false))
        return QDir(QFile::decodeName(runtime)).filePath(name);
    const QByteArray own = QFile::encodeName(QDir::tempPath()) + "/quorvant-" + QByteArray::number(getuid());
    return PrivateFolder(own, true) ? QDir(QFile::decodeName(own)).filePath(name) : QString();
}

namespace {

bool Send(const QString& name, QByteArray message, const QStringList& files, int timeoutMs)
{
    // Only a socket of this user's own, in a folder of theirs, gets the names.
    struct stat st {};
    const QByteArray path = QFile::encodeName(name);
    if (name.isEmpty() || lstat(path.constData(), &st) != 0 || !S_ISSOCK(st.st_mode) ||
        st.st_uid != getuid() || !PrivateFolder(QFile::encodeName(QFileInfo(name).path()), false))
        return false;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs) || !PeerIsUser(socket.socketDescriptor()))
        return false;
    for (const QString& file : files)
        message += Field('F', QFile::encodeName(file));
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
    return Send(name, kGreeting + Field('P', printer.toUtf8()), files, timeoutMs);
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
    if (m_strName.isEmpty())
        return false;
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
        // Only this user may hand files over, whatever the socket's permissions say.
        if (!PeerIsUser(socket->socketDescriptor())) {
            socket->abort();
            continue;
        }
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
    socket->setProperty("buffer", buffer);
    QStringList files;
    bool print = false;
    QString printer;
    qsizetype at = kGreeting.size();
    for (;;) {
        if (buffer.size() < at + kEnd.size())
            return; // more to come
        if (buffer.mid(at, kEnd.size()) == kEnd)
            break;
        const char tag = buffer[at];
        const qsizetype newline = buffer.indexOf('\n', at);
        if (newline < 0)
            return;
        bool number = false;
        const qsizetype length = buffer.mid(at + 1, newline - at - 1).toLongLong(&number);
        if ((tag != 'F' && tag != 'P') || !number || length < 0 || length > kMaxMessage ||
            (tag == 'P' && print)) {
            socket->abort();
            return;
        }
        if (buffer.size() < newline + 1 + length)
            return;
        const QByteArray field = buffer.mid(newline + 1, length);
        if (field.contains('\0')) {
            socket->abort();
            return;
        }
        if (tag == 'P') {
            print = true;
            printer = QString::fromUtf8(field);
        } else if (!field.isEmpty()) {
            files.append(QFile::decodeName(field));
        }
        at = newline + 1 + length;
    }
    socket->setProperty("buffer", QByteArray());
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
