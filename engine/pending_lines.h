#pragma once
// The record lines awaiting the autosave, each preceded by CR LF, and whoever follows them
// (the journal that keeps them across a kill): a line added is followed at once, so nothing
// grows the one without the other.

#include <functional>
#include <string>
#include <string_view>
#include <utility>

class PendingLines {
  public:
    // Called with all the lines after each one added.
    using Follower = std::function<void(const std::string& lines)>;

    void SetFollower(Follower follow) { follow_ = std::move(follow); }

    void Add(std::string_view line);
    const std::string& Text() const { return text_; }
    bool Empty() const { return text_.empty(); }

    // Hands the lines to `take` (the autosave, the journal's recovery), which writes them out
    // and removes what it wrote; it tells the journal of that itself.
    template <typename F>
    decltype(auto) TakeWith(F&& take) {
        return std::forward<F>(take)(text_);
    }
    // The lines are kept elsewhere now (or told of as lost): none is pending.
    void Forget() { text_.clear(); }

  private:
    std::string text_;
    Follower follow_;
};
