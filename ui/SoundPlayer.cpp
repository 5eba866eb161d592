#include "ui/SoundPlayer.h"

#include "base/Cp1252.h"
#include "base/Message.h"
#include "practice/Media.h"
#include "ui/SoundBackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>

#include <algorithm>

// The resources live in a static library: the linker keeps them only when referred to.
// (Q_INIT_RESOURCE cannot be used inside a namespace.)
static void InitSoundResources()
{
    Q_INIT_RESOURCE(sounds);
}

namespace {

constexpr char kModuleName[] = "quorvant-sound.so";

// The loaded module, or nullptr after a failed try. Success is kept for the whole run (the
// module is never unloaded: players may outlive any owner); a failure is tried again on
// the next sound but said only once.
const cSoundModule* SoundModule()
{
    static const cSoundModule* loaded = nullptr;
    static bool told = false;
    if (loaded)
        return loaded;
    const QStringList paths = SoundModulePaths();
    for (const QString& path : paths) {
        if (!QFile::exists(path))
            continue;
        QLibrary library(path);
        const auto entry =
            reinterpret_cast<decltype(&QuorvantSoundModule)>(library.resolve("QuorvantSoundModule"));
        const cSoundModule* module = entry ? entry() : nullptr;
        if (module && module->version == kSoundModuleVersion)
            return loaded = module;
        library.unload();
    }
    if (!told) {
        told = true;
        const QString text =
            QStringLiteral("Töne können nicht abgespielt werden: Das Tonmodul „%1“ fehlt oder "
                           "passt nicht zu diesem Programm.\r\nGesucht in:\r\n%2")
                .arg(QLatin1String(kModuleName), paths.join(QStringLiteral("\r\n")));
        MessagePresenter().Present(Cp1252FromUtf8("Warnung"),
                                   Cp1252FromUtf8(text.toStdString()), StyleIconWarning);
    }
    return nullptr;
}

} // namespace

QStringList SoundModulePaths()
{
    const QString chosen = qEnvironmentVariable("QUORVANT_SOUND_MODULE");
    if (!chosen.isEmpty())
        return {chosen};
    QStringList paths{QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kModuleName))};
    // Tests, tools and benchmarks run from their own build folders.
    const QString built = QStringLiteral(QUORVANT_SOUND_MODULE_BUILT);
    if (!paths.contains(built))
        paths.append(built);
    return paths;
}

std::string WarningTonePath()
{
    static const bool initialised = (InitSoundResources(), true);
    (void)initialised;
    return ":/sounds/warning-tone.wav";
}

void ChooseMediaBackend()
{
    // The GStreamer back end crashes while it is created when GStreamer's own plugins are
    // missing (a plain Debian system); the FFmpeg back end needs nothing more. A back end
    // chosen by the user through the environment is kept.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
}

bool HasAudioOutput()
{
    const cSoundModule* module = SoundModule();
    return module && module->hasAudioOutput();
}

cQtSoundPlayer::cQtSoundPlayer(QObject* parent) : QObject(parent)
{
    ChooseMediaBackend();
}

cQtSoundPlayer::~cQtSoundPlayer() = default;

bool cQtSoundPlayer::Open(const std::string& path)
{
    Close();
    const QString name = QString::fromStdString(path);
    const bool resource = name.startsWith(QLatin1String(":/"));
    if (resource ? !QFile::exists(name) : !FileReadable(path))
        return false;
    if (!m_backend) {
        const cSoundModule* module = SoundModule();
        if (!module)
            return false;
        m_backend.reset(module->create());
        m_backend->SetVolume(m_nVolume);
    }
    return m_backend->Open(path);
}

void cQtSoundPlayer::Close()
{
    if (m_backend)
        m_backend->Close();
}

void cQtSoundPlayer::Play()
{
    if (m_backend)
        m_backend->Play();
}

void cQtSoundPlayer::Pause()
{
    if (m_backend)
        m_backend->Pause();
}

void cQtSoundPlayer::Stop()
{
    if (m_backend)
        m_backend->Stop();
}

void cQtSoundPlayer::SetVolume(int volume)
{
    m_nVolume = std::clamp(volume, 0, 1000);
    if (m_backend)
        m_backend->SetVolume(m_nVolume);
}

bool cQtSoundPlayer::CanPlay() const
{
    return m_backend && m_backend->CanPlay();
}

QMediaPlayer* cQtSoundPlayer::Player() const
{
    return m_backend ? m_backend->Player() : nullptr;
}
