// The control's C interface with random calls: identifiers, argument counts,
// tagged values of any type. No string of the input ever reaches the file
// system: each string argument is mapped to one of a fixed set of names
// inside the harness's private scratch folder (an input, an output, a log, a
// folder, a file in a missing folder), so no call can touch a file
// elsewhere. The rest of the input becomes the contents of the input files.
// Properties:
//  - a call is refused (with its code) exactly when the identifier, the
//    argument count or an argument type is wrong, and then changes nothing;
//  - a method's result has the declared type, and a short result is 0 or 1;
//  - a processing method that fails leaves its output file as it was, one
//    that succeeds leaves it there; no temporary file is ever left behind;
//  - every property can be read after any call.
#include "dezadiravevava.h"
#include "scratch.h"

#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace quillon_fuzz;

// The names a string argument may become, inside the scratch folder.
constexpr std::array<const char*, 8> kNames = {
    "entrada.txt", "entrada.dxf", "salida.txt", "salida.dxf",
    "registro",    "carpeta",     "falta/x",    "enlace",
};

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    template <typename T>
    T Value() {
        T value{};
        std::uint8_t bytes[sizeof(T)] = {};
        for (auto& b : bytes) {
            b = Byte();
        }
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }
    std::string_view Rest() {
        const std::string_view rest(reinterpret_cast<const char*>(data_) + at_, size_ - at_);
        at_ = size_;
        return rest;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// The scratch files before a run: sample-like inputs (with fuzzed tails),
// previous outputs and log, a folder and a symbolic link to an input.
void Prepare(const Scratch& scratch, std::string_view tail) {
    scratch.Clear();
    Write(scratch.File("entrada.txt"),
          "t\r\n1\t298569.727\t4295339.009\t520.6\t30\r\n" + std::string(tail));
    Write(scratch.File("entrada.dxf"),
          "  0\nSECTION\n  2\nENTITIES\n  0\nPOINT\n 10\n300000.0\n 20\n4100000.0\n" +
              std::string(tail) + "\n  0\nENDSEC\n  0\nEOF\n");
    Write(scratch.File("salida.txt"), "salida anterior\r\n");
    Write(scratch.File("salida.dxf"), "dibujo anterior\r\n");
    Write(scratch.File("registro"), "registro anterior\r\n");
    std::filesystem::create_directory(scratch.File("carpeta"));
    std::filesystem::create_symlink(scratch.File("entrada.txt"), scratch.File("enlace"));
}

bool NoTemporaries(const Scratch& scratch) {
    for (const std::string& name : scratch.Names()) {
        if (name.front() == '.') {
            return false;
        }
    }
    return true;
}

bool Accepts(std::int32_t declared, const DzvValue& given) {
    switch (declared) {
    case DZV_I2:
        return given.type == DZV_I2;
    case DZV_I4:
        return given.type == DZV_I2 || given.type == DZV_I4;
    case DZV_R8:
        return given.type == DZV_I2 || given.type == DZV_I4 || given.type == DZV_R8;
    case DZV_STR:
        return given.type == DZV_STR;
    default:
        return false;
    }
}

const DzvMemberInfo* Member(std::int32_t dispid) {
    for (std::int32_t i = 0; i < dzv_member_count(); ++i) {
        if (dzv_member(i)->dispid == dispid) {
            return dzv_member(i);
        }
    }
    return nullptr;
}

// Which argument names the output of a method that writes one.
int OutputArgument(std::int32_t dispid) {
    return dispid == 13 || dispid == 14 ? 5 : dispid == 20 ? 1 : -1;
}

void CheckProperties(DzvControl* control) {
    for (std::int32_t id = 1; id <= 12; ++id) {
        DzvValue value{};
        FUZZ_CHECK(dzv_get_property(control, id, &value) == DZV_OK);
        FUZZ_CHECK(value.type == Member(id)->type);
        dzv_value_clear(&value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    // The calls come first; what is left fills the input files.
    const std::uint8_t calls = input.Byte() % 4 + 1;
    const Scratch& scratch = Scratch::Get();
    DzvControl* control = nullptr;
    FUZZ_CHECK(dzv_create("DATUMBOX.TransfCtrl.1", &control) == DZV_OK);
    std::vector<std::string> strings; // the mapped paths, alive during a call
    struct Call {
        std::int32_t dispid;
        std::vector<DzvValue> args;
        std::vector<int> names; // kNames index of each string argument, -1 otherwise
    };
    std::vector<Call> plan;
    for (int c = 0; c < calls && !input.empty(); ++c) {
        Call call;
        const std::uint8_t which = input.Byte();
        call.dispid = which < 240 ? which % 23 : (which % 2 ? INT32_MIN : INT32_MAX);
        const int argc = input.Byte() % 17;
        for (int i = 0; i < argc; ++i) {
            DzvValue value{};
            int name = -1;
            switch (input.Byte() % 6) {
            case 0:
                value.type = DZV_EMPTY;
                break;
            case 1:
                value.type = DZV_I2;
                value.v.i2 = input.Value<std::int16_t>();
                break;
            case 2:
                value.type = DZV_I4;
                value.v.i4 = input.Value<std::int32_t>();
                break;
            case 3:
                value.type = DZV_R8;
                value.v.r8 = input.Value<double>();
                break;
            case 4:
                value.type = DZV_STR;
                name = input.Byte() % static_cast<int>(kNames.size());
                break;
            default:
                value.type = 99; // no such type
                value.v.i4 = input.Value<std::int32_t>();
                break;
            }
            call.args.push_back(value);
            call.names.push_back(name);
        }
        plan.push_back(std::move(call));
    }
    Prepare(scratch, input.Rest().substr(0, 4096));

    for (Call& call : plan) {
        strings.clear();
        strings.reserve(call.args.size());
        for (std::size_t i = 0; i < call.args.size(); ++i) {
            if (call.names[i] >= 0) {
                strings.push_back(scratch.File(kNames[static_cast<std::size_t>(call.names[i])]));
                call.args[i].v.str = strings.back().data();
            }
        }
        const DzvMemberInfo* member = Member(call.dispid);
        const int output = OutputArgument(call.dispid);
        std::string output_path, before;
        if (output >= 0 && output < static_cast<int>(call.args.size()) &&
            call.names[static_cast<std::size_t>(output)] >= 0) {
            output_path = call.args[static_cast<std::size_t>(output)].v.str;
            before = Read(output_path);
        }
        DzvValue result{};
        result.type = 77; // to see that a refused call leaves it alone
        const std::int32_t code = dzv_invoke(control, call.dispid, call.args.data(),
                                             static_cast<std::int32_t>(call.args.size()), &result);
        bool well_formed = member && member->kind == DZV_MEMBER_METHOD &&
                           member->arg_count == static_cast<std::int32_t>(call.args.size());
        for (std::size_t i = 0; well_formed && i < call.args.size(); ++i) {
            well_formed = Accepts(member->arg_types[i], call.args[i]);
        }
        FUZZ_CHECK((code == DZV_OK) == well_formed);
        FUZZ_CHECK(NoTemporaries(scratch));
        if (code != DZV_OK) {
            FUZZ_CHECK(result.type == 77);
            continue;
        }
        FUZZ_CHECK(result.type == member->type);
        if (result.type == DZV_I2) {
            FUZZ_CHECK(result.v.i2 == 0 || result.v.i2 == 1);
        }
        if (!output_path.empty()) {
            if (result.v.i2 == 0) {
                FUZZ_CHECK(Read(output_path) == before);
            } else {
                FUZZ_CHECK(std::filesystem::exists(output_path));
            }
        }
        CheckProperties(control);
    }
    // A property of any identifier: refused unless it is one.
    DzvValue value{};
    value.type = DZV_R8;
    const std::int32_t id = size > 0 ? static_cast<std::int32_t>(data[size - 1]) - 100 : 0;
    const std::int32_t put = dzv_put_property(control, id, &value);
    // Only the double properties take a double.
    FUZZ_CHECK((put == DZV_OK) == ((id >= 1 && id <= 6) || (id >= 8 && id <= 10)));
    dzv_release(control);
    return 0;
}
