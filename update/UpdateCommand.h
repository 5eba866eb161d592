#pragma once
// The update command as the user meets it: the wait texts, the question and the final
// box, the same in the window and in quorvant-cli. The front end shows them.

#include <cstdint>
#include <functional>
#include <string>

class cAutoUpdate;

/// What the front end provides: waiting while work runs, and message boxes.
class cUpdateHost {
public:
    virtual ~cUpdateHost() = default;
    /// Shows the wait text while work runs (elsewhere, if the front end likes), and
    /// returns when work has ended. text is Windows-1252 with "\r\n" between lines.
    virtual void RunWaiting(const std::string& text, const std::function<void()>& work) = 0;
    /// Shows one message box and returns the button pressed (MessageResult).
    virtual int Box(const std::string& caption, const std::string& text, std::uint32_t style) = 0;
};

/// How the command ended.
enum class UpdateOutcome { Updated, NotNewer, Declined, Failed, Refused };

/// The query the configuration request carries.
inline constexpr const char* kUpdateQuery = "?test=simulation";

/// Checks, asks, downloads and tells, as the menu command "Auf neuere Version testen".
UpdateOutcome RunUpdateFlow(cAutoUpdate& update, const std::string& baseUrl, cUpdateHost& host);

/// The update server's base URL: QUORVANT_UPDATE_URL when set, else the one built in;
/// always ending in "/".
std::string UpdateBaseUrl();
