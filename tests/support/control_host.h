// A host of the Transf control that speaks only the library's C interface:
// dispatch identifiers and tagged values, as an automation host does.
#pragma once

#include "dezadiravevava.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <variant>
#include <vector>

namespace quillon_test {

inline DzvValue DzvStr(const std::string& s) {
    DzvValue v{};
    v.type = DZV_STR;
    v.v.str = const_cast<char*>(s.c_str()); // arguments are only read
    return v;
}
inline DzvValue DzvI2(std::int16_t x) {
    DzvValue v{};
    v.type = DZV_I2;
    v.v.i2 = x;
    return v;
}
inline DzvValue DzvI4(std::int32_t x) {
    DzvValue v{};
    v.type = DZV_I4;
    v.v.i4 = x;
    return v;
}
inline DzvValue DzvR8(double x) {
    DzvValue v{};
    v.type = DZV_R8;
    v.v.r8 = x;
    return v;
}

// A property as read: its declared type and value (strings copied out).
struct PropertyValue {
    std::int32_t type = DZV_EMPTY;
    std::variant<std::monostate, std::int32_t, double, std::string> value;

    double AsDouble() const { return std::get<double>(value); }
    std::int32_t AsLong() const { return std::get<std::int32_t>(value); }
    const std::string& AsString() const { return std::get<std::string>(value); }
    bool operator==(const PropertyValue&) const = default;
};

class ControlHost {
public:
    ControlHost() { EXPECT_EQ(dzv_create("DATUMBOX.TransfCtrl.1", &control_), DZV_OK); }
    ~ControlHost() { dzv_release(control_); }
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    // Invokes a method; the short result (1 or 0), or -1 for a method that
    // returns nothing. A refused call fails the test.
    int Invoke(std::int32_t dispid, const std::vector<DzvValue>& args) {
        DzvValue result{};
        const std::int32_t code = dzv_invoke(control_, dispid, args.data(),
                                             static_cast<std::int32_t>(args.size()), &result);
        EXPECT_EQ(code, DZV_OK) << "dispid " << dispid;
        return result.type == DZV_I2 ? result.v.i2 : -1;
    }

    PropertyValue Get(std::int32_t dispid) const {
        DzvValue v{};
        PropertyValue out;
        EXPECT_EQ(dzv_get_property(control_, dispid, &v), DZV_OK) << "dispid " << dispid;
        out.type = v.type;
        if (v.type == DZV_I4) {
            out.value = v.v.i4;
        } else if (v.type == DZV_R8) {
            out.value = v.v.r8;
        } else if (v.type == DZV_STR) {
            out.value = std::string(v.v.str ? v.v.str : "");
        }
        dzv_value_clear(&v);
        return out;
    }
    double GetDouble(std::int32_t dispid) const {
        const PropertyValue v = Get(dispid);
        EXPECT_EQ(v.type, DZV_R8) << "dispid " << dispid;
        return v.type == DZV_R8 ? v.AsDouble() : 0.0;
    }
    std::int32_t GetLong(std::int32_t dispid) const {
        const PropertyValue v = Get(dispid);
        EXPECT_EQ(v.type, DZV_I4) << "dispid " << dispid;
        return v.type == DZV_I4 ? v.AsLong() : -1;
    }
    std::string GetString(std::int32_t dispid) const {
        const PropertyValue v = Get(dispid);
        EXPECT_EQ(v.type, DZV_STR) << "dispid " << dispid;
        return v.type == DZV_STR ? v.AsString() : std::string();
    }

    std::int32_t Put(std::int32_t dispid, const DzvValue& value) {
        return dzv_put_property(control_, dispid, &value);
    }

private:
    DzvControl* control_ = nullptr;
};

} // namespace quillon_test
