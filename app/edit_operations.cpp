#include "app/edit_operations.h"

#include "common/text_format.h"

std::string ChannelCopyText(const DisplayLines& lines, std::string (*field)(std::string_view)) {
    std::string text;
    const std::size_t count = lines.Count();
    for (std::size_t i = 0; i < count; ++i) text.append(field(lines.Line(i))).append("\r\n");
    return text;
}

std::string LineNumberText(int line) {
    return "Строка " + text::FormatInt(line + 1);
}

std::string TrayTipText(const std::string& panel1, const std::string& panel2,
                        const std::string& t3hm) {
    return "T1=" + panel1 + "\rT2=" + panel2 + "\rT3=" + t3hm;
}
