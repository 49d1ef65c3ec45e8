// The control through its C interface, as any host drives it.
#include "dezadiravevava.h"
#include "support/run_command.h"
#include "support/temp_dir.h"
#include "transf_client.h"
#include "transform_request.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using quillon_test::ReadWhole;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

struct ExpectedMember {
    std::int32_t dispid;
    const char* name;
    std::int32_t kind;
    std::int32_t type;
    std::vector<std::pair<const char*, std::int32_t>> args;
};

// The interface as published, written out by hand.
const std::vector<std::pair<const char*, std::int32_t>> kProcessArgs = {
    {"nlog", DZV_STR},      {"entrada", DZV_STR},
    {"Da", DZV_I4},         {"Pa", DZV_I4},
    {"hEntrada", DZV_R8},   {"salida", DZV_STR},
    {"Db", DZV_I4},         {"Pb", DZV_I4},
    {"hSalida", DZV_R8},    {"dezadiravevava", DZV_I4},
    {"parametros", DZV_I4}, {"selec_param", DZV_R8},
    {"x", DZV_R8},          {"y", DZV_R8},
    {"z", DZV_R8}};
const std::vector<std::pair<const char*, std::int32_t>> kCentroidArgs = {
    {"entrada", DZV_STR}, {"Da", DZV_I4}, {"Pa", DZV_I4}, {"hEntrada", DZV_R8}};
const std::vector<ExpectedMember> kInterface = {
    {1, "XCentroide", DZV_MEMBER_PROPERTY, DZV_R8, {}},
    {2, "YCentroide", DZV_MEMBER_PROPERTY, DZV_R8, {}},
    {3, "XMinMRE", DZV_MEMBER_PROPERTY, DZV_R8, {}},
    {4, "XMaxMRE", DZV_MEMBER_PROPERTY, DZV_R8, {}},
    {5, "YMinMRE", DZV_MEMBER_PROPERTY, DZV_R8, {}},
    {6, "YMaxMRE", DZV_MEMBER_PROPERTY, DZV_R8, {}},
    {7, "NumeroPuntosEncontrados", DZV_MEMBER_PROPERTY, DZV_I4, {}},
    {8, "XED50SEL", DZV_MEMBER_PROPERTY, DZV_R8, {}},
    {9, "YED50SEL", DZV_MEMBER_PROPERTY, DZV_R8, {}},
    {10, "NumeroPuntosArchivo", DZV_MEMBER_PROPERTY, DZV_R8, {}},
    {11, "IDSEL", DZV_MEMBER_PROPERTY, DZV_I4, {}},
    {12, "NOMBRESEL", DZV_MEMBER_PROPERTY, DZV_STR, {}},
    {13, "ProcesarDXF", DZV_MEMBER_METHOD, DZV_I2, kProcessArgs},
    {14, "ProcesarTXT", DZV_MEMBER_METHOD, DZV_I2, kProcessArgs},
    {15, "CentroideDXF", DZV_MEMBER_METHOD, DZV_I2, kCentroidArgs},
    {16, "CentroideTXT", DZV_MEMBER_METHOD, DZV_I2, kCentroidArgs},
    {17,
     "BuscarPuntosPorDistancia",
     DZV_MEMBER_METHOD,
     DZV_EMPTY,
     {{"dist_max", DZV_R8},
      {"x", DZV_R8},
      {"y", DZV_R8},
      {"z", DZV_R8},
      {"hEntrada", DZV_R8},
      {"Datum", DZV_I4},
      {"Proyeccion", DZV_I4}}},
    {18,
     "BuscarPuntosPorNumero",
     DZV_MEMBER_METHOD,
     DZV_EMPTY,
     {{"numero", DZV_I4},
      {"x", DZV_R8},
      {"y", DZV_R8},
      {"z", DZV_R8},
      {"hEntrada", DZV_R8},
      {"Datum", DZV_I4},
      {"Proyeccion", DZV_I4}}},
    {19, "ObtenerPuntoEncontrado", DZV_MEMBER_METHOD, DZV_I2, {{"num", DZV_I4}}},
    {20,
     "ConvertirTXTaDXF",
     DZV_MEMBER_METHOD,
     DZV_I2,
     {{"entrada", DZV_STR}, {"salida", DZV_STR}, {"Proyeccion", DZV_I4}}},
    {21, "AlturasOrtometricas", DZV_MEMBER_PROPERTY, DZV_I2, {}},
    {22, "RutaRejilla", DZV_MEMBER_PROPERTY, DZV_STR, {}},
    {23, "RutaGeoide", DZV_MEMBER_PROPERTY, DZV_STR, {}},
    {24, "Hilos", DZV_MEMBER_PROPERTY, DZV_I4, {}},
    {25, "SistemaA", DZV_MEMBER_PROPERTY, DZV_STR, {}},
    {26, "SistemaB", DZV_MEMBER_PROPERTY, DZV_STR, {}},
    {27, "SoloRegion", DZV_MEMBER_PROPERTY, DZV_I2, {}},
    {28, "Catalogo", DZV_MEMBER_PROPERTY, DZV_STR, {}},
    {29, "TuberiaProj", DZV_MEMBER_PROPERTY, DZV_STR, {}},
    {30, "Incertidumbre", DZV_MEMBER_PROPERTY, DZV_I2, {}},
    {31, "HusoDibujo", DZV_MEMBER_PROPERTY, DZV_I2, {}},
    {32, "EtiquetasDibujo", DZV_MEMBER_PROPERTY, DZV_I2, {}},
};

DzvValue Str(const std::string& s) {
    DzvValue v{};
    v.type = DZV_STR;
    v.v.str = const_cast<char*>(s.c_str());
    return v;
}
DzvValue I2(std::int16_t x) {
    DzvValue v{};
    v.type = DZV_I2;
    v.v.i2 = x;
    return v;
}
DzvValue I4(std::int32_t x) {
    DzvValue v{};
    v.type = DZV_I4;
    v.v.i4 = x;
    return v;
}
DzvValue R8(double x) {
    DzvValue v{};
    v.type = DZV_R8;
    v.v.r8 = x;
    return v;
}

class Control : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(dzv_create("DATUMBOX.TransfCtrl.1", &control_), DZV_OK); }
    void TearDown() override { dzv_release(control_); }

    // Every property as text, to see that a call changed none of them.
    std::string Properties() const {
        std::string out;
        for (std::int32_t id = 1; id <= 12; ++id) {
            DzvValue v{};
            EXPECT_EQ(dzv_get_property(control_, id, &v), DZV_OK);
            out += v.type == DZV_R8   ? std::to_string(v.v.r8)
                   : v.type == DZV_I4 ? std::to_string(v.v.i4)
                                      : std::string(v.v.str);
            out += ';';
            dzv_value_clear(&v);
        }
        return out;
    }
    std::int32_t Invoke(std::int32_t dispid, std::vector<DzvValue> args,
                        DzvValue* result = nullptr) {
        return dzv_invoke(control_, dispid, args.data(), static_cast<std::int32_t>(args.size()),
                          result);
    }

    DzvControl* control_ = nullptr;
};

TEST_F(Control, InterfaceMatchesThePublishedTable) {
    ASSERT_EQ(dzv_member_count(), static_cast<std::int32_t>(kInterface.size()));
    for (std::size_t i = 0; i < kInterface.size(); ++i) {
        const ExpectedMember& expected = kInterface[i];
        const DzvMemberInfo* member = dzv_member(static_cast<std::int32_t>(i));
        ASSERT_NE(member, nullptr);
        EXPECT_EQ(member->dispid, expected.dispid);
        EXPECT_STREQ(member->name, expected.name);
        EXPECT_EQ(member->kind, expected.kind) << expected.name;
        EXPECT_EQ(member->type, expected.type) << expected.name;
        ASSERT_EQ(member->arg_count, static_cast<std::int32_t>(expected.args.size()));
        for (std::size_t k = 0; k < expected.args.size(); ++k) {
            EXPECT_STREQ(member->arg_names[k], expected.args[k].first) << expected.name;
            EXPECT_EQ(member->arg_types[k], expected.args[k].second) << expected.name << k;
        }
        // Names resolve case-insensitively, as automation hosts expect.
        std::int32_t dispid = 0;
        EXPECT_EQ(dzv_get_dispid(control_, expected.name, &dispid), DZV_OK);
        EXPECT_EQ(dispid, expected.dispid);
        std::string lower = expected.name;
        for (char& c : lower) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        dispid = 0;
        EXPECT_EQ(dzv_get_dispid(control_, lower.c_str(), &dispid), DZV_OK);
        EXPECT_EQ(dispid, expected.dispid);
    }
    EXPECT_EQ(dzv_member(static_cast<std::int32_t>(kInterface.size())), nullptr);
    EXPECT_EQ(dzv_member(-1), nullptr);
}

TEST_F(Control, BadCallsAreRefusedAndChangeNothing) {
    std::int32_t dispid = 0;
    EXPECT_EQ(dzv_get_dispid(control_, "ProcesarTxtX", &dispid), DZV_E_UNKNOWN_NAME);
    Invoke(18, {I4(5), R8(298569.727), R8(4295339.009), R8(0), R8(30), I4(14), I4(2)});
    const std::string before = Properties();
    DzvValue result = I2(7);
    EXPECT_EQ(Invoke(0, {}, &result), DZV_E_MEMBER_NOT_FOUND);
    EXPECT_EQ(Invoke(33, {}, &result), DZV_E_MEMBER_NOT_FOUND);
    EXPECT_EQ(Invoke(24, {}, &result), DZV_E_NOT_A_METHOD);
    EXPECT_EQ(Invoke(21, {}, &result), DZV_E_NOT_A_METHOD);
    EXPECT_EQ(Invoke(1, {}, &result), DZV_E_NOT_A_METHOD);
    EXPECT_EQ(Invoke(16, {Str("/no/such/file"), I4(14), I4(2)}, &result), DZV_E_BAD_PARAM_COUNT);
    EXPECT_EQ(Invoke(16, {I4(1), I4(14), I4(2), R8(30)}, &result), DZV_E_TYPE_MISMATCH);
    EXPECT_EQ(Invoke(16, {Str("/x"), R8(14), I4(2), R8(30)}, &result), DZV_E_TYPE_MISMATCH);
    DzvValue empty{};
    EXPECT_EQ(Invoke(16, {Str("/x"), I4(14), I4(2), empty}, &result), DZV_E_TYPE_MISMATCH);
    DzvValue null_string{};
    null_string.type = DZV_STR;
    EXPECT_EQ(Invoke(16, {null_string, I4(14), I4(2), R8(30)}, &result), DZV_E_TYPE_MISMATCH);
    EXPECT_EQ(Invoke(18, {R8(3), R8(0), R8(0), R8(0), R8(30), I4(14), I4(2)}, &result),
              DZV_E_TYPE_MISMATCH);
    EXPECT_EQ(result.type, DZV_I2); // untouched
    EXPECT_EQ(result.v.i2, 7);
    EXPECT_EQ(dzv_get_property(control_, 13, &result), DZV_E_NOT_A_PROPERTY);
    EXPECT_EQ(dzv_get_property(control_, 99, &result), DZV_E_MEMBER_NOT_FOUND);
    const std::string x = "x";
    const DzvValue text = Str(x);
    EXPECT_EQ(dzv_put_property(control_, 1, &text), DZV_E_TYPE_MISMATCH);
    const DzvValue real = R8(1.5);
    EXPECT_EQ(dzv_put_property(control_, 7, &real), DZV_E_TYPE_MISMATCH);
    EXPECT_EQ(dzv_invoke(nullptr, 16, nullptr, 0, nullptr), DZV_E_INVALID_ARGUMENT);
    EXPECT_EQ(Properties(), before);
    // The found list itself is untouched: the 5 vertices are still there.
    EXPECT_EQ(Invoke(19, {I4(4)}, &result), DZV_OK);
    EXPECT_EQ(result.v.i2, 1);
    EXPECT_FALSE(dzv_is_modified(control_));
}

// Every method, from the published table above, called with one argument
// more or one fewer than it declares (each of the right type): refused with
// DZV_E_BAD_PARAM_COUNT before anything runs.
TEST_F(Control, EveryMethodRefusesOneArgumentTooManyOrTooFew) {
    TempDir dir;
    const std::string absent = dir.File("absent");
    const auto value_of = [&](std::int32_t type) {
        return type == DZV_STR ? Str(absent) : type == DZV_I4 ? I4(14) : R8(30);
    };
    int methods = 0;
    for (const ExpectedMember& member : kInterface) {
        if (member.kind != DZV_MEMBER_METHOD) {
            continue;
        }
        SCOPED_TRACE(member.name);
        ++methods;
        std::vector<DzvValue> args;
        for (const auto& arg : member.args) {
            args.push_back(value_of(arg.second));
        }
        const std::string before = Properties();
        std::vector<DzvValue> too_many = args;
        too_many.push_back(value_of(member.args.back().second));
        DzvValue result = I2(7);
        EXPECT_EQ(Invoke(member.dispid, too_many, &result), DZV_E_BAD_PARAM_COUNT);
        std::vector<DzvValue> too_few(args.begin(), args.end() - 1);
        EXPECT_EQ(Invoke(member.dispid, too_few, &result), DZV_E_BAD_PARAM_COUNT);
        EXPECT_EQ(result.type, DZV_I2); // untouched
        EXPECT_EQ(result.v.i2, 7);
        EXPECT_EQ(Properties(), before);
    }
    EXPECT_EQ(methods, 8);                              // dispatch identifiers 13 to 20
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())); // no method ran
}

TEST_F(Control, ObtenerPuntoEncontradoOutOfRange) {
    ASSERT_EQ(Invoke(18, {I2(3), R8(281035.667), R8(3998752.728), R8(0), R8(30), I4(14), I4(2)}),
              DZV_OK); // a 16-bit count widens to the declared long
    DzvValue value{};
    ASSERT_EQ(dzv_get_property(control_, 7, &value), DZV_OK);
    EXPECT_EQ(value.v.i4, 3);
    DzvValue result{};
    ASSERT_EQ(Invoke(19, {I4(0)}, &result), DZV_OK);
    EXPECT_EQ(result.v.i2, 1);
    ASSERT_EQ(dzv_get_property(control_, 12, &value), DZV_OK);
    EXPECT_STREQ(value.v.str, "SAN GARCÍA"); // Windows-1252 in the catalogue, UTF-8 here
    dzv_value_clear(&value);
    const std::string before = Properties();
    for (const std::int32_t index : {-1, 3, 180}) {
        ASSERT_EQ(Invoke(19, {I4(index)}, &result), DZV_OK);
        EXPECT_EQ(result.v.i2, 0) << index;
    }
    EXPECT_EQ(Properties(), before);
}

TEST_F(Control, PropertiesAfterAFailedCentroid) {
    DzvValue result{};
    ASSERT_EQ(Invoke(16, {Str("/no/such/file.txt"), I4(14), I4(2), R8(30)}, &result), DZV_OK);
    EXPECT_EQ(result.v.i2, 0);
    DzvValue v{};
    dzv_get_property(control_, 3, &v);
    EXPECT_EQ(v.v.r8, 1e30);
    dzv_get_property(control_, 4, &v);
    EXPECT_EQ(v.v.r8, -1e30);
    dzv_get_property(control_, 10, &v);
    EXPECT_EQ(v.v.r8, 0.0);
}

TEST_F(Control, WritingAPropertyChangesNothingElse) {
    const std::string before = Properties();
    const DzvValue value = R8(123456.5);
    ASSERT_EQ(dzv_put_property(control_, 1, &value), DZV_OK);
    std::string after = Properties();
    EXPECT_EQ(after.substr(after.find(';')), before.substr(before.find(';')));
    DzvValue read{};
    dzv_get_property(control_, 1, &read);
    EXPECT_EQ(read.v.r8, 123456.5);
    EXPECT_TRUE(dzv_is_modified(control_));
    const std::string vertex_name = "VÉRTICE";
    const DzvValue name = Str(vertex_name);
    ASSERT_EQ(dzv_put_property(control_, 12, &name), DZV_OK);
    ASSERT_EQ(dzv_get_property(control_, 12, &read), DZV_OK);
    EXPECT_STREQ(read.v.str, "VÉRTICE");
    dzv_value_clear(&read);
    EXPECT_EQ(read.type, DZV_EMPTY);
}

struct ProgressRecord {
    std::vector<std::string> events;
};

TEST_F(Control, ProgressWindowThresholdThroughCallbacks) {
    ProgressRecord record;
    DzvProgressCallbacks callbacks{};
    callbacks.context = &record;
    callbacks.open = [](void* c, const char* caption, std::uint64_t size) {
        static_cast<ProgressRecord*>(c)->events.push_back(std::string("open ") + caption + " " +
                                                          std::to_string(size));
    };
    callbacks.step = [](void* c, std::uint64_t) {
        static_cast<ProgressRecord*>(c)->events.push_back("step");
    };
    callbacks.close = [](void* c) { static_cast<ProgressRecord*>(c)->events.push_back("close"); };
    ASSERT_EQ(dzv_set_progress(control_, &callbacks), DZV_OK);
    TempDir dir;
    const std::string point = "1\t300000\t4100000\t0\t30\n";
    for (const std::size_t size : {50000u, 50001u}) {
        record.events.clear();
        WriteWhole(dir.File("in.txt"), std::string(size - point.size() - 1, 't') + "\n" + point);
        DzvValue result{};
        ASSERT_EQ(Invoke(16, {Str(dir.File("in.txt")), I4(14), I4(2), R8(30)}, &result), DZV_OK);
        EXPECT_EQ(result.v.i2, 1);
        if (size == 50000) {
            EXPECT_TRUE(record.events.empty());
        } else {
            EXPECT_EQ(record.events, (std::vector<std::string>{"open Calculando Centroide 50001",
                                                               "step", "close"}));
        }
    }
    ASSERT_EQ(dzv_set_progress(control_, nullptr), DZV_OK);
    record.events.clear();
    DzvValue result{};
    Invoke(16, {Str(dir.File("in.txt")), I4(14), I4(2), R8(30)}, &result);
    EXPECT_TRUE(record.events.empty());
}

// A host whose progress callback asks for a stop once the bar passes half
// of the file.
struct CancelHalfway {
    DzvControl* control = nullptr;
    std::uint64_t size = 0;
    std::uint64_t last = 0;
};

DzvProgressCallbacks CancelHalfwayCallbacks(CancelHalfway& state) {
    DzvProgressCallbacks callbacks{};
    callbacks.context = &state;
    callbacks.open = [](void* c, const char*, std::uint64_t size) {
        static_cast<CancelHalfway*>(c)->size = size;
    };
    callbacks.step = [](void* c, std::uint64_t position) {
        auto* state = static_cast<CancelHalfway*>(c);
        state->last = position;
        if (position > state->size / 2) {
            EXPECT_EQ(dzv_cancel(state->control), DZV_OK);
        }
    };
    return callbacks;
}

std::string PointFile(std::size_t at_least) {
    std::string text = "t\r\n";
    for (int i = 1; text.size() < at_least; ++i) {
        text += std::to_string(i) + "\t300000\t4100000\t0\t30\r\n";
    }
    return text;
}

TEST_F(Control, CancelFromTheProgressCallbackStopsEveryLongMethod) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), PointFile(60000));
    WriteWhole(dir.File("out.txt"), "anterior\r\n");
    WriteWhole(dir.File("out.dxf"), "anterior\r\n");
    CancelHalfway state{control_};
    const DzvProgressCallbacks callbacks = CancelHalfwayCallbacks(state);
    ASSERT_EQ(dzv_set_progress(control_, &callbacks), DZV_OK);
    const std::string log_path = dir.File("log"), in = dir.File("in.txt"),
                      out = dir.File("out.txt");
    const std::vector<DzvValue> run = {Str(log_path), Str(in), I4(14), I4(2),  R8(30),
                                       Str(out),      I4(19),  I4(2),  R8(30), I4(0),
                                       I4(0),         R8(0),   R8(0),  R8(0),  R8(0)};
    DzvValue result{};
    ASSERT_EQ(Invoke(14, run, &result), DZV_OK);
    EXPECT_EQ(result.v.i2, 0);
    EXPECT_LT(state.last, state.size); // stopped, not run to the end
    const std::string log = ReadWhole(dir.File("log"));
    const std::string last_line = "Operaci\xf3n cancelada por el usuario\r\n";
    ASSERT_GE(log.size(), last_line.size());
    EXPECT_EQ(log.substr(log.size() - last_line.size()), last_line);

    ASSERT_EQ(Invoke(16, {Str(dir.File("in.txt")), I4(14), I4(2), R8(30)}, &result), DZV_OK);
    EXPECT_EQ(result.v.i2, 0);
    DzvValue count{};
    ASSERT_EQ(dzv_get_property(control_, 10, &count), DZV_OK);
    EXPECT_EQ(count.v.r8, 0.0);
    ASSERT_EQ(Invoke(20, {Str(dir.File("in.txt")), Str(dir.File("out.dxf")), I4(2)}, &result),
              DZV_OK);
    EXPECT_EQ(result.v.i2, 0);
    // The old files are intact, and no temporary file is left beside them.
    EXPECT_EQ(ReadWhole(dir.File("out.txt")), "anterior\r\n");
    EXPECT_EQ(ReadWhole(dir.File("out.dxf")), "anterior\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              4); // in.txt, out.txt, out.dxf, log

    // A request made while nothing runs is forgotten when the next method starts.
    ASSERT_EQ(dzv_set_progress(control_, nullptr), DZV_OK);
    ASSERT_EQ(dzv_cancel(control_), DZV_OK);
    ASSERT_EQ(Invoke(14, run, &result), DZV_OK);
    EXPECT_EQ(result.v.i2, 1);
    EXPECT_EQ(dzv_cancel(nullptr), DZV_E_INVALID_ARGUMENT);
}

// A host that cancels from another thread while a run is under way. The
// progress callback, at its first step, hands over to the other thread and
// waits until that thread's dzv_cancel has returned; so the request is made
// from another thread during the run, however fast or loaded the machine is.
// The minute-long waits only keep a broken engine from hanging the test.
struct CancelFromElsewhere {
    std::mutex mutex;
    std::condition_variable changed;
    bool asked = false;     // the run has made its first step
    bool cancelled = false; // the other thread's dzv_cancel has returned
    bool finished = false;  // the run has returned
    bool gave_up = false;
    std::int32_t cancel_code = -1;
    std::uint64_t size = 0;
    std::uint64_t last = 0;
    int steps = 0;
};

constexpr auto kFailureGuard = std::chrono::minutes(1);

TEST_F(Control, CancelFromAnotherThread) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), PointFile(200000));
    WriteWhole(dir.File("out.txt"), "anterior\r\n");
    CancelFromElsewhere state;
    DzvProgressCallbacks callbacks{};
    callbacks.context = &state;
    callbacks.open = [](void* c, const char*, std::uint64_t size) {
        static_cast<CancelFromElsewhere*>(c)->size = size;
    };
    callbacks.step = [](void* c, std::uint64_t position) {
        auto& s = *static_cast<CancelFromElsewhere*>(c);
        std::unique_lock lock(s.mutex);
        s.last = position;
        if (++s.steps == 1) {
            s.asked = true;
            s.changed.notify_all();
            if (!s.changed.wait_for(lock, kFailureGuard, [&] { return s.cancelled; })) {
                s.gave_up = true;
            }
        }
    };
    ASSERT_EQ(dzv_set_progress(control_, &callbacks), DZV_OK);
    std::thread canceller([&] {
        std::unique_lock lock(state.mutex);
        if (!state.changed.wait_for(lock, kFailureGuard,
                                    [&] { return state.asked || state.finished; }) ||
            !state.asked) {
            state.gave_up = true;
            return;
        }
        lock.unlock();
        const std::int32_t code = dzv_cancel(control_);
        lock.lock();
        state.cancel_code = code;
        state.cancelled = true;
        state.changed.notify_all();
    });
    DzvValue result{};
    const std::int32_t status = Invoke(14,
                                       {Str(dir.File("log")), Str(dir.File("in.txt")), I4(14),
                                        I4(2), R8(30), Str(dir.File("out.txt")), I4(19), I4(2),
                                        R8(30), I4(0), I4(0), R8(0), R8(0), R8(0), R8(0)},
                                       &result);
    {
        std::lock_guard lock(state.mutex);
        state.finished = true;
        state.changed.notify_all();
    }
    canceller.join();
    ASSERT_FALSE(state.gave_up);
    EXPECT_EQ(state.cancel_code, DZV_OK);
    ASSERT_EQ(status, DZV_OK);
    EXPECT_EQ(result.v.i2, 0);
    EXPECT_EQ(state.steps, 1); // stopped at the line after the request
    EXPECT_LT(state.last, state.size);
    EXPECT_EQ(ReadWhole(dir.File("out.txt")), "anterior\r\n");
    const std::string log = ReadWhole(dir.File("log"));
    const std::string last_line = "Operaci\xf3n cancelada por el usuario\r\n";
    ASSERT_GE(log.size(), last_line.size());
    EXPECT_EQ(log.substr(log.size() - last_line.size()), last_line);
}

TEST_F(Control, ExtremeDispatchIdentifiers) {
    DzvValue value{};
    for (const std::int32_t dispid : {INT32_MIN, INT32_MIN + 1, -1, 0, 1000, INT32_MAX}) {
        EXPECT_EQ(Invoke(dispid, {}), DZV_E_MEMBER_NOT_FOUND) << dispid;
        EXPECT_EQ(dzv_get_property(control_, dispid, &value), DZV_E_MEMBER_NOT_FOUND) << dispid;
        EXPECT_EQ(dzv_put_property(control_, dispid, &value), DZV_E_MEMBER_NOT_FOUND) << dispid;
    }
}

TEST_F(Control, TheEngineChecksItsOwnArguments) {
    // Whatever the host, a zone must be a whole number (0 or -1: one per
    // point) and every number finite: nothing is written otherwise.
    TempDir dir;
    WriteWhole(dir.File("in.txt"), "t\r\n1\t298569.727\t4295339.009\t520.6\t30\r\n");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const double bad : {75.0, 30.7, 1e300, inf, nan}) {
        SCOPED_TRACE(bad);
        for (const std::int32_t method : {13, 14}) {
            DzvValue result{};
            std::filesystem::remove(dir.File("out"));
            ASSERT_EQ(Invoke(method,
                             {Str(dir.File("log")), Str(dir.File("in.txt")), I4(14), I4(2), R8(30),
                              Str(dir.File("out")), I4(19), I4(2), R8(bad), I4(0), I4(0), R8(0),
                              R8(0), R8(0), R8(0)},
                             &result),
                      DZV_OK);
            EXPECT_EQ(result.v.i2, 0);
            EXPECT_FALSE(std::filesystem::exists(dir.File("out")));
        }
        DzvValue result{};
        ASSERT_EQ(Invoke(16, {Str(dir.File("in.txt")), I4(14), I4(2), R8(bad)}, &result), DZV_OK);
        EXPECT_EQ(result.v.i2, 0);
        ASSERT_EQ(Invoke(18, {I4(3), R8(300000), R8(4100000), R8(0), R8(bad), I4(14), I4(2)}),
                  DZV_OK);
        DzvValue found{};
        ASSERT_EQ(dzv_get_property(control_, 7, &found), DZV_OK);
        EXPECT_EQ(found.v.i4, 0);
        ASSERT_EQ(Invoke(17, {R8(5000), R8(bad == 75.0 ? nan : inf), R8(4100000), R8(0), R8(30),
                              I4(14), I4(2)}),
                  DZV_OK);
        ASSERT_EQ(dzv_get_property(control_, 7, &found), DZV_OK);
        EXPECT_EQ(found.v.i4, 0);
    }
}

// Two controls on two threads: each keeps the vertices of its own searches.
TEST(TwoControls, OnTwoThreadsNeverSeeEachOthersVertices) {
    struct Search {
        std::int32_t count;
        double x, y;
        std::vector<std::int32_t> expected; // found numbers, in order
    };
    std::vector<Search> searches = {{3, 212903.466, 4040539.144, {}},
                                    {7, 298569.727, 4295339.009, {}}};
    for (Search& s : searches) {
        dezadiravevava::TransfClient transf;
        transf.BuscarPuntosPorNumero(s.count, s.x, s.y, 0, 30, 14, 2);
        for (std::int32_t i = 0; i < transf.NumeroPuntosEncontrados(); ++i) {
            transf.ObtenerPuntoEncontrado(i);
            s.expected.push_back(transf.IDSEL());
        }
        ASSERT_EQ(s.expected.size(), static_cast<std::size_t>(s.count));
    }
    std::atomic<int> wrong{0};
    auto loop = [&](const Search& s) {
        dezadiravevava::TransfClient transf;
        for (int round = 0; round < 2000; ++round) {
            transf.BuscarPuntosPorNumero(s.count, s.x, s.y, 0, 30, 14, 2);
            std::vector<std::int32_t> seen;
            for (std::int32_t i = 0; i < transf.NumeroPuntosEncontrados(); ++i) {
                if (transf.ObtenerPuntoEncontrado(i) == 1) {
                    seen.push_back(transf.IDSEL());
                }
            }
            if (seen != s.expected) {
                ++wrong;
            }
        }
    };
    std::thread first(loop, searches[0]);
    std::thread second(loop, searches[1]);
    first.join();
    second.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(TypeLibrary, LibraryClassesAndPropertyPage) {
    const DzvTypeLibInfo* lib = dzv_typelib();
    EXPECT_STREQ(lib->name, "DATUM_BOXLib");
    EXPECT_STREQ(lib->guid, "{F8E37BA5-64B3-4743-BE3F-668AD108BDA0}");
    EXPECT_EQ(lib->major, 1);
    EXPECT_EQ(lib->minor, 0);
    EXPECT_EQ(lib->lcid, 0x409u);
    EXPECT_STREQ(lib->help_string, "Transformación de Datums ActiveX Control module");
    EXPECT_STREQ(lib->help_file, "Dezadiravevava.hlp");
    ASSERT_EQ(dzv_type_count(), 3);
    EXPECT_STREQ(dzv_type(0)->guid, "{483A307B-AD78-4D2A-B4A5-C392B0F2190E}");
    EXPECT_STREQ(dzv_type(1)->help_string, "Event interface for Transf Control");
    EXPECT_STREQ(dzv_type(2)->name, "Transf");
    ASSERT_EQ(dzv_class_count(), 2);
    EXPECT_STREQ(dzv_class(0)->progid, "DATUMBOX.TransfCtrl.1");
    EXPECT_STREQ(dzv_class(0)->user_type_name, "Transf Control");
    EXPECT_EQ(dzv_class(0)->misc_status, 0x20091u);
    EXPECT_STREQ(dzv_class(0)->threading_model, "Apartment");
    EXPECT_EQ(dzv_class(0)->insertable, 0);
    EXPECT_STREQ(dzv_class(1)->clsid, "{7C617066-37B0-4932-9749-181A07B865A3}");
    EXPECT_STREQ(dzv_class(1)->user_type_name, "Transf Property Page");
    EXPECT_STREQ(dzv_property_page()->caption, "General");
    EXPECT_STREQ(dzv_property_page()->text, "No hay propiedades extendidas que utilizar");
    // Creation by class id (any case); the property page has no dispatch interface.
    DzvControl* control = nullptr;
    EXPECT_EQ(dzv_create("{6101ced7-87cd-4854-b939-c78932166ab0}", &control), DZV_OK);
    dzv_release(control);
    EXPECT_EQ(dzv_create("DATUMBOX.TransfPropPage.1", &control), DZV_E_NO_INTERFACE);
    EXPECT_EQ(dzv_create("DATUMBOX.Otro.1", &control), DZV_E_CLASS_NOT_FOUND);
    EXPECT_EQ(control, nullptr);
}

TEST(Registration, WritesAndRemovesTheRegistrationFiles) {
    TempDir dir;
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string restore = saved ? saved : "";
    setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
    const std::filesystem::path folder = dir.path() / "dezadiravevava";
    EXPECT_EQ(std::string(dzv_registration_folder()), folder.string());
    ASSERT_EQ(dzv_register_server(), DZV_S_OK);
    const std::string classes = ReadWhole(folder / "classes.reg");
    EXPECT_NE(classes.find("[ProgID DATUMBOX.TransfCtrl.1]\nclsid={6101CED7-87CD-4854-B939-"
                           "C78932166AB0}\n"),
              std::string::npos);
    EXPECT_NE(classes.find("libdezadiravevava.so"), std::string::npos) << classes;
    EXPECT_NE(ReadWhole(folder / "typelib.reg").find("version=1.0\n"), std::string::npos);
    ASSERT_EQ(dzv_unregister_server(), DZV_S_OK);
    EXPECT_FALSE(std::filesystem::exists(folder / "classes.reg"));
    // A class file that cannot be written: the type library step succeeded.
    std::filesystem::create_directories(folder / "classes.reg" / "blocked");
    EXPECT_EQ(dzv_register_server(), DZV_SELFREG_E_CLASS);
    std::filesystem::remove_all(folder);
    // A data folder that cannot be made: the first step fails.
    WriteWhole(folder.string(), "a file where the folder should be");
    EXPECT_EQ(dzv_register_server(), DZV_SELFREG_E_TYPELIB);
    if (saved) {
        setenv("XDG_DATA_HOME", restore.c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }
}

TEST(TransfClient, TypedMembersThroughTheDispatchInterface) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"),
               "t\r\n1\t298569.727\t4295339.009\t520.6\t30\r\n2\t281035.667\t3998752.728\t30.7"
               "\t30\r\n");
    dezadiravevava::TransfClient transf;
    ASSERT_EQ(transf.CentroideTXT(dir.File("in.txt"), 14, 2, 0), 1);
    EXPECT_EQ(transf.NumeroPuntosArchivo(), 2.0);
    EXPECT_NEAR(transf.XMinMRE(), 281035.667, 1e-4);
    EXPECT_NEAR(transf.YMaxMRE(), 4295339.009, 1e-4);
    ASSERT_EQ(transf.ProcesarTXT(dir.File("log"), dir.File("in.txt"), 14, 2, 0, dir.File("out.txt"),
                                 19, 2, 30, 0, 0, 0, 0, 0, 0),
              1);
    EXPECT_EQ(ReadWhole(dir.File("out.txt")), "t\r\n1\t298459.538\t4295133.070\t520.600\t30.\r\n"
                                              "2\t280923.327\t3998547.762\t30.700\t30.\r\n");
    transf.BuscarPuntosPorNumero(3, 298569.727, 4295339.009, 0, 30, 14, 2);
    ASSERT_EQ(transf.ObtenerPuntoEncontrado(0), 1);
    EXPECT_EQ(transf.IDSEL(), 80656);
    EXPECT_EQ(transf.NOMBRESEL(), "SERVILLETA");
    EXPECT_THROW(dezadiravevava::TransfClient("DATUMBOX.Nada"), dezadiravevava::TransfError);
    transf.Cancel(); // nothing runs: forgotten by the next method
    EXPECT_EQ(transf.CentroideTXT(dir.File("in.txt"), 14, 2, 0), 1);
}

// Property 24 sets the threads of every file method; what they give is the
// same with one thread (the calling thread alone), two or seven.
TEST(TransfClient, FileMethodsGiveTheSameResultsWhateverTheThreads) {
    TempDir dir;
    std::string points = "t\r\n";
    for (int i = 1; i <= 6000; ++i) {
        points += std::to_string(i) + "\t" + std::to_string(250000 + 31 * i) + ".125\t" +
                  std::to_string(4000000 + 47 * i) + ".5\t" + std::to_string(i % 900) + "\t30\r\n";
        if (i % 1000 == 0) {
            points += std::to_string(i) + "\t1,5\t2\t3\t30\r\n"; // a rejected line
        }
    }
    WriteWhole(dir.File("in.txt"), points);
    dezadiravevava::TransfClient transf;
    EXPECT_EQ(transf.Hilos(), 0); // the machine's cores
    struct Results {
        std::string txt, txt_log, drawing, dxf, dxf_log;
        double x = 0, y = 0, count = 0, drawing_x = 0, drawing_y = 0;
    };
    const auto run = [&](std::int32_t threads) {
        transf.Hilos(threads);
        EXPECT_EQ(transf.Hilos(), threads);
        Results r;
        EXPECT_EQ(transf.ProcesarTXT(dir.File("log"), dir.File("in.txt"), 14, 2, 0,
                                     dir.File("out.txt"), 19, 1, 0, 0, 0, 0, 0, 0, 0),
                  1);
        r.txt = ReadWhole(dir.File("out.txt"));
        r.txt_log = ReadWhole(dir.File("log"));
        EXPECT_EQ(transf.ConvertirTXTaDXF(dir.File("in.txt"), dir.File("in.dxf"), 2), 1);
        r.drawing = ReadWhole(dir.File("in.dxf"));
        EXPECT_EQ(transf.ProcesarDXF(dir.File("log"), dir.File("in.dxf"), 14, 2, 30,
                                     dir.File("out.dxf"), 19, 2, 30, 0, 0, 0, 0, 0, 0),
                  1);
        r.dxf = ReadWhole(dir.File("out.dxf"));
        r.dxf_log = ReadWhole(dir.File("log"));
        EXPECT_EQ(transf.CentroideTXT(dir.File("in.txt"), 14, 2, 0), 1);
        r.x = transf.XCentroide();
        r.y = transf.YCentroide();
        r.count = transf.NumeroPuntosArchivo();
        EXPECT_EQ(transf.CentroideDXF(dir.File("in.dxf"), 14, 2, 30), 1);
        r.drawing_x = transf.XCentroide();
        r.drawing_y = transf.YCentroide();
        return r;
    };
    const Results one = run(1);
    EXPECT_EQ(one.count, 6000.0);
    EXPECT_NE(one.txt_log.find("L\xednea 1002 rechazada"), std::string::npos);
    for (const std::int32_t threads : {2, 7, -1}) {
        SCOPED_TRACE(threads);
        const Results many = run(threads);
        EXPECT_TRUE(many.txt == one.txt);
        EXPECT_EQ(many.txt_log, one.txt_log);
        EXPECT_TRUE(many.drawing == one.drawing);
        EXPECT_TRUE(many.dxf == one.dxf);
        EXPECT_EQ(many.dxf_log, one.dxf_log);
        EXPECT_EQ(many.x, one.x);
        EXPECT_EQ(many.y, one.y);
        EXPECT_EQ(many.count, one.count);
        EXPECT_EQ(many.drawing_x, one.drawing_x);
        EXPECT_EQ(many.drawing_y, one.drawing_y);
    }
}

// The official method as the desktop program drives it: the centroid, then a
// run with parametros 4 and orthometric heights, with the options set
// through properties 21 to 23.
TEST(TransfClient, OfficialGridAndOrthometricHeights) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), "t\r\n1\t300000\t4150000\t100\t30\r\n"
                                   "2\t100000\t3800000\t5\t30\r\n");
    dezadiravevava::TransfClient transf;
    EXPECT_EQ(transf.AlturasOrtometricas(), 0);
    EXPECT_EQ(transf.RutaRejilla(), "");
    EXPECT_EQ(transf.RutaGeoide(), "");
    ASSERT_EQ(transf.CentroideTXT(dir.File("in.txt"), 14, 2, 0), 1);
    transf.AlturasOrtometricas(-1); // an automation true
    EXPECT_EQ(transf.AlturasOrtometricas(), 1);
    ASSERT_EQ(transf.ProcesarTXT(dir.File("log"), dir.File("in.txt"), 14, 2, 0, dir.File("out.txt"),
                                 19, 1, 0, 7, 4, 0, 0, 0, 0),
              1);
    // Point 2 lies south of the grid: refused, not transformed some other way.
    EXPECT_EQ(ReadWhole(dir.File("out.txt")),
              "t\r\n1\t-5.263002233938\t37.473397170807\t148.277554642040\r\n");
    const std::string log = ReadWhole(dir.File("log"));
    for (const char* line :
         {"Tipo de transformaci\xf3n: REJILLA NTv2\r\n",
          "Elecci\xf3n de par\xe1metros: USAR REJILLA OFICIAL DEL IGN "
          "(SPED2ETV2)\r\nAlturas...............: ORTOM\xc9TRICAS\r\n",
          "N\xfamero de subrejillas.: 2\r\n", "EGM08_REDNAP.gtx\r\n",
          "L\xednea 3 rechazada: fuera de la rejilla\r\n", "L\xedneas rechazadas.....: 1\r\n"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    }
    // A grid or a geoid that cannot be read fails the run, with the reason.
    transf.RutaRejilla("/no/such/grid.gsb");
    EXPECT_EQ(transf.ProcesarTXT(dir.File("log"), dir.File("in.txt"), 14, 2, 0, dir.File("out.txt"),
                                 19, 1, 0, 0, 4, 0, 0, 0, 0),
              0);
    EXPECT_NE(ReadWhole(dir.File("log"))
                  .find("No se puede leer la rejilla /no/such/grid.gsb: "
                        "no se puede abrir el archivo\r\n"),
              std::string::npos);
    transf.RutaRejilla("");
    transf.RutaGeoide(dir.File("in.txt"));
    EXPECT_EQ(transf.ProcesarTXT(dir.File("log"), dir.File("in.txt"), 14, 2, 0, dir.File("out.txt"),
                                 19, 1, 0, 0, 4, 0, 0, 0, 0),
              0);
    EXPECT_NE(ReadWhole(dir.File("log")).find("No se puede leer el geoide "), std::string::npos);
    // The option is a short: a long is not narrowed into it.
    DzvControl* control = nullptr;
    ASSERT_EQ(dzv_create("DATUMBOX.TransfCtrl.1", &control), DZV_OK);
    const DzvValue wide = I4(1);
    EXPECT_EQ(dzv_put_property(control, 21, &wide), DZV_E_TYPE_MISMATCH);
    dzv_release(control);
}

} // namespace

namespace {

// Properties 25 to 27: the sides by EPSG code in place of the methods' own
// datum, kind and zone, and the region check a host asks for.
TEST(TransfClient, SystemsByEpsgCodeAndTheRegionCheck) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), "t\r\n"
                                   "1\t235171.041\t4142124.422\t42.000\r\n"
                                   "2\t448000.000\t5410000.000\t35.000\r\n"); // Sevilla, Paris
    dezadiravevava::TransfClient transf;
    const auto run = [&](std::int32_t da, std::int32_t pa, double zone_a, std::int32_t db,
                         std::int32_t pb, double zone_b, const std::string& out) {
        EXPECT_EQ(transf.ProcesarTXT(dir.File(out + ".log"), dir.File("in.txt"), da, pa, zone_a,
                                     dir.File(out), db, pb, zone_b, 0, 0, 0, 0, 0, 0),
                  1);
        return ReadWhole(dir.File(out));
    };
    const std::string plain = run(14, 2, 30, 19, 2, 30, "plain.txt");
    transf.SistemaA("epsg:23030");
    transf.SistemaB("EPSG:25830");
    EXPECT_EQ(transf.SistemaA(), "epsg:23030");
    // The codes take the place of the arguments, however wrong these are.
    EXPECT_EQ(run(19, 1, 0, 14, 3, 0, "coded.txt"), plain);
    EXPECT_NE(plain.find("\r\n2\t"), std::string::npos); // no check asked: Paris goes through
    try {
        transf.SistemaB("EPSG:4326");
        ADD_FAILURE() << "an unknown code was taken";
    } catch (const dezadiravevava::TransfError& error) {
        EXPECT_EQ(error.code(), DZV_E_INVALID_ARGUMENT);
    }
    EXPECT_EQ(transf.SistemaB(), "EPSG:25830");
    transf.SoloRegion(-1); // automation true
    EXPECT_EQ(transf.SoloRegion(), 1);
    const std::string checked = run(14, 2, 30, 19, 2, 30, "checked.txt");
    EXPECT_EQ(checked.find("\r\n2\t"), std::string::npos);
    EXPECT_NE(ReadWhole(dir.File("checked.txt.log"))
                  .find("L\xEDnea 3 rechazada: fuera de la regi\xF3n de c\xE1lculo"),
              std::string::npos);
}

// Properties 31 and 32: a point list of zones 29 and 30 is drawn only in a
// zone chosen, on the datum SistemaA gives (the zone-29 point then where
// PROJ puts it: cs2cs +proj=utm +zone=29 +ellps=intl to +zone=30), with
// labels when asked.
TEST(TransfClient, PointDrawingsOfOneZone) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), "t\r\n1\t370000.000\t4100000.000\t10.000\t30.\r\n"
                                   "2\t760000.000\t4110000.000\t11.000\t29.\r\n");
    dezadiravevava::TransfClient transf;
    EXPECT_EQ(transf.HusoDibujo(), 0);
    EXPECT_EQ(transf.EtiquetasDibujo(), 0);
    struct Case {
        std::int16_t zone;
        const char* system;
        std::int16_t labels;
        std::int16_t result;
    };
    for (const Case& c : {Case{0, "", 0, 0}, Case{30, "", 0, 0}, Case{30, "EPSG:23030", 0, 1},
                          Case{0, "EPSG:23030", -1, 1}}) {
        SCOPED_TRACE(testing::Message() << c.zone << " " << c.system << " " << c.labels);
        transf.HusoDibujo(c.zone);
        transf.SistemaA(c.system);
        transf.EtiquetasDibujo(c.labels);
        std::remove(dir.File("out.dxf").c_str());
        EXPECT_EQ(transf.ConvertirTXTaDXF(dir.File("in.txt"), dir.File("out.dxf"), 2), c.result);
        if (c.result == 1) {
            const std::string drawing = ReadWhole(dir.File("out.dxf"));
            EXPECT_NE(drawing.find(" 10\r\n226750.296054\r\n 20\r\n4110418.860207\r\n"),
                      std::string::npos);
            EXPECT_EQ(drawing.find("IDENTIFICADORES") != std::string::npos, c.labels != 0);
        }
    }
    for (const std::int16_t bad : {-1, 61}) {
        try {
            transf.HusoDibujo(bad);
            ADD_FAILURE() << "zone " << bad << " was taken";
        } catch (const dezadiravevava::TransfError& error) {
            EXPECT_EQ(error.code(), DZV_E_INVALID_ARGUMENT);
        }
    }
}

// Property 28: a user's catalogue, read when it is put, searched by the
// search methods and fitted by the regional runs, and named in their log; a
// bad file is refused, with its problems from dzv_check_catalogue, and the
// property keeps its catalogue.
TEST(TransfClient, TheUsersCatalogue) {
    TempDir dir;
    // Four built-in vertices around ALCORES, renamed.
    WriteWhole(dir.File("propio.tsv"),
               "numero\tnombre\tetrs_x\tetrs_y\ted50_x\ted50_y\n"
               "98555\tPROPIO A\t254558.486\t4138026.189\t254669.906\t4138230.449\n"
               "100377\tPROPIO B\t254248.386\t4132835.272\t254359.935\t4133039.504\n"
               "98438\tPROPIO C\t240781.484\t4137251.537\t240892.881\t4137455.58\n"
               "96374\tPROPIO D\t260660.454\t4158366.653\t260771.585\t4158571.342\n");
    WriteWhole(dir.File("malo.tsv"), "numero\tnombre\tetrs_x\tetrs_y\ted50_x\ted50_y\n"
                                     "1\tA\t1\t2\t3\t4\n"
                                     "2\tB\t1\t2\t3\tx\n");
    dezadiravevava::TransfClient transf;
    EXPECT_EQ(transf.Catalogo(), "");
    transf.Catalogo(dir.File("propio.tsv"));
    EXPECT_EQ(transf.Catalogo(), dir.File("propio.tsv"));
    // Every vertex of the catalogue, however many are asked for.
    transf.BuscarPuntosPorNumero(20, 254669.906, 4138230.449, 0, 30, 14, 2);
    EXPECT_EQ(transf.NumeroPuntosEncontrados(), 4);
    ASSERT_EQ(transf.ObtenerPuntoEncontrado(1), 1);
    EXPECT_EQ(transf.NOMBRESEL(), "PROPIO B");
    EXPECT_EQ(transf.IDSEL(), 100377);

    std::int32_t vertices = 0;
    EXPECT_EQ(dezadiravevava::TransfClient::CatalogueProblems(dir.File("malo.tsv"), &vertices),
              "línea 3: ed50_y no es un número");
    EXPECT_EQ(dezadiravevava::TransfClient::CatalogueProblems(dir.File("propio.tsv"), &vertices),
              "");
    EXPECT_EQ(vertices, 4);
    for (const std::string& bad : {dir.File("malo.tsv"), dir.File("ninguno.tsv")}) {
        try {
            transf.Catalogo(bad);
            ADD_FAILURE() << "a bad catalogue was taken: " << bad;
        } catch (const dezadiravevava::TransfError& error) {
            EXPECT_EQ(error.code(), DZV_E_INVALID_ARGUMENT);
        }
    }
    EXPECT_EQ(transf.Catalogo(), dir.File("propio.tsv"));

    WriteWhole(dir.File("in.txt"), "t\r\n1\t254669.906\t4138230.449\t100.000\r\n");
    ASSERT_EQ(transf.ProcesarTXT(dir.File("out.log"), dir.File("in.txt"), 14, 2, 30,
                                 dir.File("out.txt"), 19, 2, 30, 0, 1, 0, 0, 0, 0),
              1);
    const auto sum = quillon_test::RunCommand("sha256sum '" + dir.File("propio.tsv") + "'");
    ASSERT_EQ(sum.status, 0);
    const std::string log = ReadWhole(dir.File("out.log"));
    EXPECT_NE(log.find("ANDALUC\xCD"
                       "A\r\nCat\xE1logo de v\xE9rtices..: " +
                       dir.File("propio.tsv") + " (SHA-256 " + sum.out.substr(0, 64) + ")\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("N\xFAmero de puntos utilizados: 4\r\n"), std::string::npos);

    transf.Catalogo(""); // the built-in one again
    transf.BuscarPuntosPorNumero(20, 254669.906, 4138230.449, 0, 30, 14, 2);
    EXPECT_EQ(transf.NumeroPuntosEncontrados(), 20);
    ASSERT_EQ(transf.ObtenerPuntoEncontrado(0), 1);
    EXPECT_EQ(transf.NOMBRESEL(), "ALCORES");
}

// Property 29: the PROJ pipeline of the last file run, from its side A to its
// side B, the one the C++ interface gives for the same request; none for the
// Molodensky model or a run that could not start; the host cannot write it.
TEST(TransfClient, PipelineOfTheLastFileRun) {
    namespace api = dezadiravevava::api;
    TempDir dir;
    WriteWhole(dir.File("in.txt"), "t\r\n1\t430000.000\t4120000.000\t100.0\r\n");
    dezadiravevava::TransfClient transf;
    EXPECT_EQ(transf.TuberiaProj(), "");
    struct Case {
        std::int32_t model;
        api::Model api_model;
        bool has_pipeline;
    };
    for (const Case c : {Case{0, api::Model::kHelmert, true}, Case{2, api::Model::kAffine, true},
                         Case{1, api::Model::kMolodensky, false}}) {
        SCOPED_TRACE(c.model);
        ASSERT_EQ(transf.ProcesarTXT(dir.File("log"), dir.File("in.txt"), 14, 2, 30,
                                     dir.File("out.txt"), 19, 1, 0, c.model, 3, 6, 440000, 4150000,
                                     0),
                  1);
        api::TransformRequest request;
        request.a.zone = 30;
        request.b.datum = api::Datum::kEtrs89;
        request.b.kind = api::Kind::kGeodetic;
        request.method = api::Method::kNearest;
        request.model = c.api_model;
        request.selection = 6;
        request.origin = std::array<double, 2>{440000, 4150000};
        std::string failure;
        const std::string expected = api::ProjPipeline(request, failure).value_or("");
        EXPECT_EQ(!expected.empty(), c.has_pipeline) << failure;
        EXPECT_EQ(transf.TuberiaProj(), expected);
    }
    ASSERT_EQ(transf.ProcesarTXT(dir.File("log"), dir.File("in.txt"), 14, 2, 30,
                                 dir.File("out.txt"), 19, 2, 30, 0, 0, 0, 0, 0, 0),
              1);
    EXPECT_NE(transf.TuberiaProj().find("+proj=helmert"), std::string::npos);
    EXPECT_EQ(transf.ProcesarTXT(dir.File("log"), dir.File("in.txt"), 14, 2, 75,
                                 dir.File("out.txt"), 19, 2, 30, 0, 0, 0, 0, 0, 0),
              0);
    EXPECT_EQ(transf.TuberiaProj(), "");

    DzvControl* control = nullptr;
    ASSERT_EQ(dzv_create("DATUMBOX.TransfCtrl.1", &control), DZV_OK);
    DzvValue text{};
    text.type = DZV_STR;
    text.v.str = const_cast<char*>("+proj=noop");
    EXPECT_EQ(dzv_put_property(control, 29, &text), DZV_E_INVALID_ARGUMENT);
    dzv_release(control);
}

// Property 30: the uncertainty column of ProcesarTXT, the national set's
// figure after the other columns, which stay as they were.
TEST(TransfClient, UncertaintyColumn) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), "t\r\n"
                                   "1\t235171.041\t4142124.422\t42.000\r\n"
                                   "2\t240000.000\t4150000.000\t35.000\r\n");
    dezadiravevava::TransfClient transf;
    const auto run = [&](const std::string& out) {
        EXPECT_EQ(transf.ProcesarTXT(dir.File(out + ".log"), dir.File("in.txt"), 14, 2, 30,
                                     dir.File(out), 19, 2, 30, 0, 0, 0, 0, 0, 0),
                  1);
        return ReadWhole(dir.File(out));
    };
    const std::string plain = run("plain.txt");
    EXPECT_EQ(transf.Incertidumbre(), 0);
    transf.Incertidumbre(-1); // automation true
    EXPECT_EQ(transf.Incertidumbre(), 1);
    std::string expected = plain;
    for (std::size_t at = expected.find("30.\r\n"); at != std::string::npos;
         at = expected.find("30.\r\n", at + 1)) {
        expected.insert(at + 3, "\t1.900");
    }
    EXPECT_EQ(run("with.txt"), expected);
    EXPECT_NE(
        ReadWhole(dir.File("plain.txt.log")).find("Incertidumbre (95 %).: 1.900 a 1.900 m\r\n"),
        std::string::npos); // the range, without the column
    EXPECT_NE(
        ReadWhole(dir.File("with.txt.log")).find("Incertidumbre (95 %).: 1.900 a 1.900 m\r\n"),
        std::string::npos);
}

} // namespace
