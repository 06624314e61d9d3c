#pragma once
// The desktop's notification area, as the tray icon component sees it: an icon described by
// a record that is added, modified and deleted, balloon notices carried by the same record,
// and the area's mouse and balloon notifications.

#include <cstdint>
#include <string>

namespace platform {

// An icon as the shell loads it: a file or resource path, or a theme icon name. A source
// that cannot be loaded is shown as no icon.
struct TrayImage {
    std::string source;

    bool empty() const { return source.empty(); }
    friend bool operator==(const TrayImage&, const TrayImage&) = default;
};

// Balloon icon flags of the record.
inline constexpr std::uint32_t kBalloonNone = 0;
inline constexpr std::uint32_t kBalloonInfo = 1;
inline constexpr std::uint32_t kBalloonWarning = 2;
inline constexpr std::uint32_t kBalloonError = 3;
inline constexpr std::uint32_t kBalloonUser = 4;  // the icon's own image

// The icon's description; texts are UTF-8 with "\n" line breaks, already cut to the lengths
// the component allows.
struct TrayIconRecord {
    std::uint32_t id = 0;  // unique per component
    TrayImage icon;
    std::string tip;  // empty: no tip
    // Set when this update carries balloon fields: a balloon with text is shown, replacing
    // any shown one; an empty text removes a shown balloon.
    bool balloon = false;
    std::string balloon_text;
    std::string balloon_title;
    std::uint32_t balloon_timeout_ms = 0;
    std::uint32_t balloon_flags = kBalloonNone;
};

enum class TrayNotification {
    MouseMove,
    LeftDown,
    LeftUp,
    LeftDoubleClick,
    RightDown,
    RightUp,
    MiddleDown,
    MiddleUp,
    ContextMenu,  // with notification version 3 and above, after RightUp
    Select,
    KeySelect,
    BalloonShow,
    BalloonHide,
    BalloonTimeout,    // its time passed without a click
    BalloonUserClick,  // clicked by the user
};

// Keys held down, as reported by the shell.
inline constexpr unsigned kKeyShift = 1;
inline constexpr unsigned kKeyAlt = 2;
inline constexpr unsigned kKeyCtrl = 4;

struct TrayPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const TrayPoint&, const TrayPoint&) = default;
};

// A pop-up menu owned by the program's window.
class TrayMenu {
  public:
    virtual ~TrayMenu() = default;
    // Whether the menu opens by itself on the button that calls it.
    virtual bool AutoPopup() const = 0;
    // Chooses the menu's default item, if it has one.
    virtual void ClickDefaultItem() = 0;
};

class TrayShellListener {
  public:
    virtual ~TrayShellListener() = default;
    virtual void TrayNotify(TrayNotification message) = 0;
    // A notification area has (re)appeared; icons that were shown are gone until added again.
    virtual void TrayShellRestarted() = 0;
    // The notification area went away; no icon is shown now.
    virtual void TrayShellLost() = 0;
};

class TrayShell {
  public:
    virtual ~TrayShell() = default;

    // Notifications go to this listener (none: dropped).
    virtual void SetListener(TrayShellListener* listener) = 0;

    // False when the shell could not do it; nothing is thrown.
    virtual bool AddIcon(const TrayIconRecord& record) = 0;
    virtual bool ModifyIcon(const TrayIconRecord& record) = 0;
    virtual bool DeleteIcon(const TrayIconRecord& record) = 0;
    // 0: plain notifications; 3: ContextMenu, Select and KeySelect too.
    virtual bool SetVersion(const TrayIconRecord& record, unsigned version) = 0;

    // The menu the desktop opens by itself on the icon's context click (none: no menu).
    virtual void SetContextMenu(TrayMenu* menu) = 0;
    // Opens `menu` at `at`, unless the desktop opens it by itself for the notification
    // being delivered now.
    virtual void ShowMenu(TrayMenu& menu, TrayPoint at) = 0;

    virtual TrayPoint CursorPos() const = 0;
    // kKeyShift | kKeyAlt | kKeyCtrl held down now.
    virtual unsigned KeysDown() const = 0;
    virtual std::uint32_t DoubleClickTimeMs() const = 0;
};

}  // namespace platform
