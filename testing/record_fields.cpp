#include "testing/record_fields.h"

#include "engine/record_line.h"

namespace e2e {

RecordFields FieldsOfLine(std::string_view line) {
    return {get_T1(line), get_T2(line), get_T3(line), get_HM(line), get_outs(line)};
}

RecordFields FieldsOfPacket(std::span<const std::uint8_t> packet, PacketLayout layout,
                            bool rounding) {
    const DecodedSample sample = DecodeSample(packet, layout, rounding);
    const SampleTexts texts = FormatSample(sample, rounding);
    return {texts.t1, texts.t2, texts.t3, std::to_string(sample.hm), sample.out_string};
}

std::string Describe(const RecordFields& f) {
    return "T1=" + f.t1 + " T2=" + f.t2 + " T3=" + f.t3 + " HM=" + f.hm + " OUT=" + f.out;
}

}  // namespace e2e
