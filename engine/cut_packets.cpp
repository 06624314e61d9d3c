#include "engine/cut_packets.h"

#include <cstdio>

void ReportCutPackets(const std::string& program, std::uint64_t count) {
    if (count == 0) return;
    std::fprintf(stderr,
                 "%s: Неполных пакетов отброшено за время работы: %llu (байты потеряны в линии, "
                 "или пакет пришёл частями с паузой между ними).\n",
                 program.c_str(), static_cast<unsigned long long>(count));
    std::fflush(stderr);
}
