// The desktop program's reading of point files, on any bytes. The first byte
// chooses the layout (with or without zone) and how full the point table is
// already. Properties:
//  - a file of the other layout adds nothing and says so once;
//  - otherwise every line is a point or a refused line, in one message at
//    most, and every point added is whole: finite coordinates, a zone 29, 30
//    or 31 when zones are read, and its list line is the line of that point;
//  - the table never holds more than its capacity;
//  - the line cutter gives the lines of the text in order.
#include "comun.h"
#include "lectura_puntos.h"
#include "scratch.h"
#include "services.h"

#include <QByteArray>
#include <QString>
#include <cmath>
#include <cstdint>

namespace {

using namespace quillon;
using namespace quillon_fuzz;

class CountingMessages : public MessageSink {
public:
    void Show(const QString&, const QString&, MessageIcon) override { ++shown; }
    bool Ask(const QString&, const QString&) override { return false; }
    int shown = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const bool with_zone = data[0] & 1;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1,
                           static_cast<qsizetype>(size - 1));

    // The line cutter on its own: every line it gives is a line of the text,
    // in order.
    const QString text = DecodePointFile(bytes);
    const PointFileText cut = CutPointFile(text);
    int last = 0;
    for (const PointFileLine& line : cut.lines) {
        FUZZ_CHECK(line.line > last);
        last = line.line;
    }
    FUZZ_CHECK(last <= text.size() + 1);

    const Scratch& scratch = Scratch::Get();
    const std::string path = scratch.File("puntos.txt");
    Write(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    static ProgramState state; // its table is large: made once
    // Already holding 0, some, or all but a few points.
    const int before = (data[0] >> 1) % 3 == 0   ? 0
                       : (data[0] >> 1) % 3 == 1 ? 5
                                                 : kInitialTableRows - 2;
    state.pointCount = before;
    CountingMessages messages;
    const PointFileRead read = ReadPointFile(
        QString::fromStdString(path),
        with_zone ? CoordinateKind::Utm
                  : ((data[0] >> 3) & 1 ? CoordinateKind::Geodetic : CoordinateKind::Geocentric),
        state, messages);

    FUZZ_CHECK(read.end != PointFileEnd::Unreadable);
    FUZZ_CHECK(state.pointCount <= kPointCapacity);
    FUZZ_CHECK(state.savedPointCount == before);
    if (read.end == PointFileEnd::WrongLayout) {
        FUZZ_CHECK(state.pointCount == before);
        FUZZ_CHECK(read.added == 0);
        FUZZ_CHECK(messages.shown == 1);
        return 0;
    }
    // Every line is a point or a refused line, told in one message at most.
    FUZZ_CHECK(messages.shown <= 1);
    FUZZ_CHECK(read.rows == read.added + static_cast<int>(read.refused.size()));
    FUZZ_CHECK(state.pointCount == before + read.added);
    for (int i = before; i < state.pointCount; ++i) {
        const PointRecord& point = state.PointTable[i];
        FUZZ_CHECK(std::isfinite(point.c1) && std::isfinite(point.c2) && std::isfinite(point.c3));
        if (with_zone) {
            FUZZ_CHECK(point.zone == 29 || point.zone == 30 || point.zone == 31);
        }
    }
    return 0;
}
