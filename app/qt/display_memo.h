#pragma once
// The display Memo1 as the record lines: one line per text block. The first append fills
// the document's empty first block, so an empty last block is not a line.

#include <QPlainTextEdit>
#include <span>
#include <string>
#include <vector>

#include "app/display_lines.h"

class DisplayMemo : public DisplayLines {
  public:
    explicit DisplayMemo(QPlainTextEdit& edit) : edit_(edit) {}

    std::size_t Count() const override;
    std::string Line(std::size_t i) const override;
    std::vector<bool> EmptyLines(std::size_t first, std::size_t count) const override;

    // Adds a line at the end; a view that showed the end keeps showing it.
    void Append(const std::string& line);
    void Clear();
    // Replaces the whole text with these lines (UTF-8) in one edit, painted once; the display
    // then counts as unchanged.
    void SetLines(std::span<const std::string> lines);

  private:
    QPlainTextEdit& edit_;
};
