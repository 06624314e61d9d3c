#pragma once
// The display Memo1 as the record lines: one line per text block. The first append fills
// the document's empty first block, so an empty last block is not a line.
//
// The view follows the newest line unless the user has scrolled away from the end (and again
// once they scroll back to it). Only the user's scrolling counts: a resize, hiding and showing,
// minimising and restoring, a new font or loading a file never stop it following.

#include <QPlainTextEdit>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/display_lines.h"

class DisplayMemo : public DisplayLines {
  public:
    explicit DisplayMemo(QPlainTextEdit& edit);
    ~DisplayMemo() override;
    DisplayMemo(const DisplayMemo&) = delete;
    DisplayMemo& operator=(const DisplayMemo&) = delete;

    std::size_t Count() const override;
    std::string Line(std::size_t i) const override;
    std::vector<bool> EmptyLines(std::size_t first, std::size_t count) const override;

    // Adds a line at the end, shown when the view follows.
    void Append(const std::string& line);
    // Empties the display; the view follows again.
    void Clear();
    // Replaces the whole text with these lines (UTF-8) in one edit, painted once; the display
    // then counts as unchanged, and the view shows the end and follows.
    void SetLines(std::span<const std::string> lines);

    // Whether a new line scrolls into view.
    bool Following() const;

  private:
    class Follower;

    QPlainTextEdit& edit_;
    std::unique_ptr<Follower> follower_;
};
