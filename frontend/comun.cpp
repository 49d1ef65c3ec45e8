#include "comun.h"

#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace quillon {

PointId::PointId(const QString& text) {
    data_[kInline] = 0;
    const QByteArray utf8 = text.toUtf8();
    Set(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

PointId::PointId(const char* utf8) {
    data_[kInline] = 0;
    Set(utf8 == nullptr ? std::string_view() : std::string_view(utf8));
}

PointId::PointId(const PointId& other) {
    data_[kInline] = 0;
    Set(other.bytes());
}

PointId::PointId(PointId&& other) noexcept {
    std::memcpy(data_, other.data_, sizeof data_);
    other.data_[kInline] = 0;
}

PointId& PointId::operator=(const PointId& other) {
    if (this != &other) {
        PointId copy(other);
        *this = std::move(copy);
    }
    return *this;
}

PointId& PointId::operator=(PointId&& other) noexcept {
    if (this != &other) {
        Release();
        std::memcpy(data_, other.data_, sizeof data_);
        other.data_[kInline] = 0;
    }
    return *this;
}

PointId::~PointId() {
    Release();
}

QString PointId::text() const {
    const std::string_view utf8 = bytes();
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

const char* PointId::block() const {
    const char* address = nullptr;
    std::memcpy(&address, data_, sizeof address);
    return address;
}

std::string_view PointId::bytes() const {
    const auto size = static_cast<unsigned char>(data_[kInline]);
    if (size != kOwnBlock) {
        return {data_, size};
    }
    const char* own = block();
    std::uint32_t length = 0;
    std::memcpy(&length, own, sizeof length);
    return {own + sizeof length, length};
}

void PointId::Set(std::string_view utf8) {
    if (utf8.size() <= kInline) {
        std::memcpy(data_, utf8.data(), utf8.size());
        data_[kInline] = static_cast<char>(utf8.size());
        return;
    }
    const auto length = static_cast<std::uint32_t>(utf8.size());
    char* own = new char[sizeof length + length];
    std::memcpy(own, &length, sizeof length);
    std::memcpy(own + sizeof length, utf8.data(), length);
    std::memcpy(data_, &own, sizeof own);
    data_[kInline] = static_cast<char>(kOwnBlock);
}

void PointId::Release() noexcept {
    if (static_cast<unsigned char>(data_[kInline]) == kOwnBlock) {
        delete[] block();
        data_[kInline] = 0;
    }
}

ProgramState::ProgramState()
    : PointTable(kInitialTableRows), ResultTable(kInitialTableRows),
      catalogueVertexCount(kCatalogueVertexCount) {}

void ProgramState::MakeRoom(int count) {
    if (count > PointTable.size()) {
        // Doubling: a point at a time stays cheap.
        PointTable.resize(std::max<qsizetype>(count, 2 * PointTable.size()));
    }
    if (count > ResultTable.size()) {
        ResultTable.resize(std::max<qsizetype>(count, 2 * ResultTable.size()));
    }
}

QPointF MapToPixel(double x, double y, double width, double height) {
    const double sx = width / (MapExtent.xMax - MapExtent.xMin);
    const double sy = height / (MapExtent.yMax - MapExtent.yMin);
    return {sx * (x - MapExtent.xMin), sy * (MapExtent.yMax - y)};
}

QPointF PixelToMap(double px, double py, double width, double height) {
    const double sx = width / (MapExtent.xMax - MapExtent.xMin);
    const double sy = height / (MapExtent.yMax - MapExtent.yMin);
    return {px / sx + MapExtent.xMin, MapExtent.yMax - py / sy};
}

double PackedToDegrees(const double& v) {
    const double s = v < 0.0 ? -1.0 : (v > 0.0 ? 1.0 : 0.0);
    const double a = std::fabs(v);
    const double d = std::trunc(a);
    const double m = std::trunc(100.0 * a - 100.0 * d);
    const double q = 10000.0 * a - 100.0 * std::trunc(100.0 * a);
    return s * (d + m / 60.0 + q / 3600.0);
}

double DegreesToPacked(const double& v) {
    const double s = v < 0.0 ? -1.0 : (v > 0.0 ? 1.0 : 0.0);
    const double a = std::fabs(v);
    const double d = std::trunc(a);
    const double m = std::trunc((a - d) * 60.0);
    const double w = 60.0 * a;
    return s * (d + m / 100.0 + (w - std::trunc(w)) * 60.0 / 10000.0);
}

QString TextAfterLast(const QString& text, QChar separator) {
    const qsizetype at = text.lastIndexOf(separator);
    return at < 0 ? text : text.mid(at + 1);
}

QString TextBeforeLast(const QString& text, QChar separator) {
    const qsizetype at = text.lastIndexOf(separator);
    return at < 0 ? text : text.left(at);
}

QString NumberText(const double& v) {
    if (std::isnan(v)) {
        return QStringLiteral("NaN");
    }
    if (std::isinf(v)) {
        return v < 0 ? QStringLiteral("-Inf") : QStringLiteral(" Inf");
    }
    if (v == 0.0) {
        return QStringLiteral(" 0"); // negative zero too
    }

    // 15 significant digits, correctly rounded: "d.dddddddddddddde+XX".
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(v),
                                      std::chars_format::scientific, 14);
    const std::string text(buffer, result.ptr);
    const std::size_t e = text.find('e');
    std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
    const int exponent = std::stoi(text.substr(e + 1));
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }

    std::string out(1, v < 0 ? '-' : ' ');
    if (exponent >= 15 || exponent < -4) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1);
        }
        out += exponent < 0 ? "E-" : "E+";
        const std::string power = std::to_string(std::abs(exponent));
        if (power.size() < 2) {
            out += '0';
        }
        out += power;
    } else if (exponent < 0) {
        out += '.';
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        const auto integerDigits = static_cast<std::size_t>(exponent + 1);
        if (digits.size() <= integerDigits) {
            out += digits;
            out.append(integerDigits - digits.size(), '0');
        } else {
            out.append(digits, 0, integerDigits);
            out += '.';
            out.append(digits, integerDigits);
        }
    }
    return QString::fromLatin1(out);
}

QStringList NameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        if (!description.contains(QLatin1Char('('))) {
            description += QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
        }
        filters << description;
    }
    return filters;
}

} // namespace quillon
