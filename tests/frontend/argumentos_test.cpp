// What the form shows is what the engine gets: for every combination of the
// form's choices, set through its widgets, the arguments of the
// transformation call that the control receives, against a table written
// from the engine's codes.
#include "dialogo_punto.h"
#include "huso.h"
#include "point_list_fixture.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <array>

namespace quillon_test {
namespace {

using quillon::CoordinateKind;

// A control that answers without the engine: a fixed rectangle and centre of
// mass, five vertices found, and a transformation that fails (the run then
// stops after the call, which is all these tests look at).
class ScriptedTransf : public quillon::TransfControl {
public:
    std::int16_t CentroideTXT(const std::string&, std::int32_t, std::int32_t, double) override {
        return 1;
    }
    std::int16_t CentroideDXF(const std::string&, std::int32_t, std::int32_t, double) override {
        return 1;
    }
    double XCentroide() const override { return 301000.0; }
    double YCentroide() const override { return 4102000.0; }
    double XMinMRE() const override { return 280000.0; }
    double XMaxMRE() const override { return 320000.0; }
    double YMinMRE() const override { return 4080000.0; }
    double YMaxMRE() const override { return 4120000.0; }
    void BuscarPuntosPorDistancia(double dist_max, double x, double y, double, double, std::int32_t,
                                  std::int32_t) override {
        searches.push_back({false, dist_max, x, y});
    }
    void BuscarPuntosPorNumero(std::int32_t numero, double x, double y, double, double,
                               std::int32_t, std::int32_t) override {
        searches.push_back({true, static_cast<double>(numero), x, y});
    }
    std::int32_t NumeroPuntosEncontrados() const override { return 5; }
    std::int16_t ObtenerPuntoEncontrado(std::int32_t) override { return 1; }
    double XED50SEL() const override { return 300000.0; }
    double YED50SEL() const override { return 4100000.0; }
    std::int16_t ProcesarTXT(const std::string&, const std::string&, std::int32_t Da,
                             std::int32_t Pa, double hEntrada, const std::string&, std::int32_t Db,
                             std::int32_t Pb, double hSalida, std::int32_t model,
                             std::int32_t parametros, double selec_param, double x, double y,
                             double) override {
        processes.push_back({{Da, Pa, hEntrada, Db, Pb, hSalida, model, parametros, selec_param,
                              alturasOrtometricas},
                             x,
                             y});
        return 0;
    }
    std::int16_t ProcesarDXF(const std::string& a, const std::string& b, std::int32_t Da,
                             std::int32_t Pa, double hEntrada, const std::string& c,
                             std::int32_t Db, std::int32_t Pb, double hSalida, std::int32_t model,
                             std::int32_t parametros, double selec_param, double x, double y,
                             double z) override {
        return ProcesarTXT(a, b, Da, Pa, hEntrada, c, Db, Pb, hSalida, model, parametros,
                           selec_param, x, y, z);
    }
    std::int16_t ConvertirTXTaDXF(const std::string&, const std::string&, std::int32_t) override {
        return 0;
    }
    dezadiravevava::api::CentroidOutcome CentroidePuntos(const dezadiravevava::api::PointList&,
                                                         std::int32_t, std::int32_t,
                                                         const dezadiravevava::api::Progress&,
                                                         std::vector<double>*) override {
        dezadiravevava::api::CentroidOutcome centroid;
        centroid.succeeded = true;
        centroid.x = XCentroide();
        centroid.y = YCentroide();
        centroid.x_min = XMinMRE();
        centroid.x_max = XMaxMRE();
        centroid.y_min = YMinMRE();
        centroid.y_max = YMaxMRE();
        centroid.count = 1;
        return centroid;
    }
    dezadiravevava::api::PointListOutcome
    ProcesarPuntos(const dezadiravevava::api::PointList&, std::int32_t Da, std::int32_t Pa,
                   double hEntrada, std::int32_t Db, std::int32_t Pb, double hSalida,
                   std::int32_t model, std::int32_t parametros, double selec_param, double x,
                   double y, const dezadiravevava::api::Progress&) override {
        ProcesarTXT({}, {}, Da, Pa, hEntrada, {}, Db, Pb, hSalida, model, parametros, selec_param,
                    x, y, 0.0);
        return {}; // failed
    }
    void SetAlturasOrtometricas(std::int16_t value) override { alturasOrtometricas = value; }
    std::string SetCatalogo(const std::string&, std::int32_t& vertices) override {
        vertices = 180;
        return {};
    }
    void SetIncertidumbre(std::int16_t) override {}
    void SetProgress(const DzvProgressCallbacks*) override {}
    bool CanCancel() const override { return false; }
    void Cancel() override {}

    struct Search {
        bool byNumber;
        double selection, x, y;
    };
    struct Process {
        quillon::EngineArguments arguments;
        double x, y;
    };
    std::vector<Search> searches;
    std::vector<Process> processes;
    std::int16_t alturasOrtometricas = 0;
};

class ArgumentsTest : public ::testing::Test {
protected:
    ArgumentsTest()
        : programa(messages, files, settingsStore.settings, QStringLiteral(QUILLON_TEST_DATA_DIR),
                   &transf),
          form(*programa.calculo()), presenter(programa.presenter()) {}

    RecordingMessages messages;
    ScriptedFileDialogs files;
    ScriptedTransf transf;
    TestSettings settingsStore;
    quillon::Aplicacion programa;
    quillon::Calculo& form;
    quillon::FormPresenter& presenter;
};

// The engine's codes, written out.
constexpr int kEd50 = 14, kEtrs89 = 19;
constexpr int kGeodetic = 1, kUtm = 2, kGeocentric = 3;

// One point inside Andalusia in each kind (latitude and longitude packed).
quillon::PointRecord InsidePoint(CoordinateKind kind) {
    switch (kind) {
    case CoordinateKind::Geocentric:
        return {QStringLiteral("G"), 5047344.4296, -428168.4639, 3865411.0328, 0};
    case CoordinateKind::Geodetic:
        return {QStringLiteral("L"), 37.4557947, -4.0512, 500.0, 0};
    case CoordinateKind::Utm:
        break;
    }
    return {QStringLiteral("U"), 298569.727, 4295339.009, 520.6, 30};
}

// The method as the form sets it: an option and, for the local method, the
// index of one of the two selection combo boxes.
struct MethodSetting {
    int option;   // 0 national, 1 regional, 2 local, 3 the IGN grid
    int nearest;  // 0..4
    int distance; // 0..4
};

TEST_F(ArgumentsTest, EveryCombinationOfTheFormReachesTheEngineAsShown) {
    std::vector<MethodSetting> methods = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}};
    for (int i = 1; i <= 4; ++i) {
        methods.push_back({2, i, 0});
        methods.push_back({2, 0, i});
    }
    QRadioButton* const sourceKinds[] = {form.sourceGeocentricOption, form.sourceGeodeticOption,
                                         form.sourceUtmOption};
    QRadioButton* const targetKinds[] = {form.targetGeocentricOption, form.targetGeodeticOption,
                                         form.targetUtmOption};
    const int kindCodes[] = {kGeocentric, kGeodetic, kUtm};
    QRadioButton* const methodOptions[] = {form.nationalOption, form.regionalOption,
                                           form.localOption, form.gridOption};
    QRadioButton* const models[] = {form.helmertOption, form.molodenskyOption, form.affineOption};
    QCheckBox* const zoneChecks[] = {nullptr, form.zone29Check, form.zone30Check, form.zone31Check};
    const int zones[] = {0, 29, 30, 31};
    const int counts[] = {0, 3, 4, 5, 10};
    const double distances[] = {0, 25000, 50000, 100000, 150000};

    int combinations = 0;
    for (int source = 0; source < 3; ++source) {
        form.sourceDatumCombo->setCurrentIndex(0);
        form.targetDatumCombo->setCurrentIndex(1);
        sourceKinds[source]->click();
        presenter.DeletePoints({0});
        presenter.AddPoint(InsidePoint(
            static_cast<CoordinateKind>(form.sourceKindButtons->id(sourceKinds[source]))));
        for (int target = 0; target < 3; ++target) {
            for (int zone = 0; zone < 4; ++zone) {
                for (const MethodSetting& method : methods) {
                    for (int model = 0; model < 3; ++model) {
                        for (int centre = 0; centre < 2; ++centre) {
                            for (int datums = 0; datums < 4; ++datums) {
                                // Every widget is set while it is enabled, as
                                // a user would: the method with different
                                // datums, the zone with a UTM target.
                                form.sourceDatumCombo->setCurrentIndex(0);
                                form.targetDatumCombo->setCurrentIndex(1);
                                methodOptions[method.option]->click();
                                models[model]->click();
                                form.nearestCombo->setCurrentIndex(method.nearest);
                                form.distanceCombo->setCurrentIndex(method.distance);
                                form.centreCombo->setCurrentIndex(centre);
                                form.targetUtmOption->click();
                                if (zoneChecks[zone] != nullptr) {
                                    zoneChecks[zone]->setChecked(true);
                                } else {
                                    for (QCheckBox* check :
                                         {form.zone29Check, form.zone30Check, form.zone31Check}) {
                                        check->setChecked(false);
                                    }
                                }
                                targetKinds[target]->click();
                                form.sourceDatumCombo->setCurrentIndex(datums / 2);
                                form.targetDatumCombo->setCurrentIndex(datums % 2);

                                const std::size_t searchesBefore = transf.searches.size();
                                messages.shown.clear();
                                form.transformButton->click();
                                ++combinations;
                                const std::string where =
                                    "source " + std::to_string(source) + " target " +
                                    std::to_string(target) + " zone " + std::to_string(zone) +
                                    " method " + std::to_string(method.option) + "/" +
                                    std::to_string(method.nearest) + "/" +
                                    std::to_string(method.distance) + " model " +
                                    std::to_string(model) + " centre " + std::to_string(centre) +
                                    " datums " + std::to_string(datums);
                                ASSERT_EQ(transf.processes.size(),
                                          static_cast<std::size_t>(combinations))
                                    << where;
                                const auto& call = transf.processes.back();
                                const quillon::EngineArguments& a = call.arguments;

                                const bool changes = datums / 2 != datums % 2;
                                EXPECT_EQ(a.da, datums / 2 == 0 ? kEd50 : kEtrs89) << where;
                                EXPECT_EQ(a.db, datums % 2 == 0 ? kEd50 : kEtrs89) << where;
                                EXPECT_EQ(a.pa, kindCodes[source]) << where;
                                EXPECT_EQ(a.pb, kindCodes[target]) << where;
                                EXPECT_EQ(a.hEntrada, 0.0) << where;
                                EXPECT_EQ(a.hSalida, target == 2 ? zones[zone] : 0) << where;
                                int parametros = 0;
                                double selection = 0.0;
                                bool searched = false;
                                if (changes && method.option == 1) {
                                    parametros = 1;
                                } else if (changes && method.option == 3) {
                                    parametros = 4; // no vertices, no model
                                } else if (changes && method.option == 2) {
                                    if (method.nearest > 0) {
                                        parametros = 3;
                                        selection = counts[method.nearest];
                                        searched = true;
                                    } else if (method.distance > 0) {
                                        parametros = 2;
                                        selection = distances[method.distance];
                                        searched = true;
                                    } else {
                                        parametros = 1; // all vertices: the regional set
                                        EXPECT_TRUE(messages.Shown(
                                            "al seleccionar todos los vértices disponibles se "
                                            "pasa al empleo de parámetros regionales"))
                                            << where;
                                        EXPECT_TRUE(form.regionalOption->isChecked()) << where;
                                    }
                                }
                                EXPECT_EQ(a.parametros, parametros) << where;
                                EXPECT_EQ(a.selecParam, selection) << where;
                                const bool modelled =
                                    changes && (method.option == 1 || method.option == 2);
                                EXPECT_EQ(a.model, modelled ? model : 0) << where;
                                EXPECT_EQ(form.modelGroup->isEnabledTo(&form), modelled) << where;
                                EXPECT_EQ(a.alturasOrtometricas, 0) << where;
                                // The centre of the search and of the call.
                                const double x = centre == 0 ? 300000.0 : 301000.0;
                                const double y = centre == 0 ? 4100000.0 : 4102000.0;
                                EXPECT_EQ(call.x, x) << where;
                                EXPECT_EQ(call.y, y) << where;
                                ASSERT_EQ(transf.searches.size(),
                                          searchesBefore + (searched ? 1 : 0))
                                    << where;
                                if (searched) {
                                    const auto& search = transf.searches.back();
                                    EXPECT_EQ(search.byNumber, method.nearest > 0) << where;
                                    EXPECT_EQ(search.selection, selection) << where;
                                    EXPECT_EQ(search.x, x) << where;
                                    EXPECT_EQ(search.y, y) << where;
                                }
                                if (::testing::Test::HasFailure()) {
                                    return;
                                }
                            }
                        }
                    }
                }
            }
        }
    }
    EXPECT_EQ(combinations, 3 * 3 * 4 * 12 * 3 * 2 * 4);
}

// The orthometric heights box is offered while A or B is UTM, keeps its tick
// while it is not, and the control's property follows what the box shows.
TEST_F(ArgumentsTest, OrthometricHeightsGoToTheEngineWhereTheBoxIsOffered) {
    QRadioButton* const sourceKinds[] = {form.sourceGeocentricOption, form.sourceGeodeticOption,
                                         form.sourceUtmOption};
    QRadioButton* const targetKinds[] = {form.targetGeocentricOption, form.targetGeodeticOption,
                                         form.targetUtmOption};
    form.sourceDatumCombo->setCurrentIndex(0);
    form.targetDatumCombo->setCurrentIndex(1);
    for (const bool ticked : {true, false}) {
        for (int source = 0; source < 3; ++source) {
            for (int target = 0; target < 3; ++target) {
                for (QRadioButton* grid : {form.gridOption, form.nationalOption}) {
                    form.sourceUtmOption->click();
                    form.targetUtmOption->click();
                    ASSERT_TRUE(form.orthometricCheck->isEnabled());
                    form.orthometricCheck->setChecked(ticked);
                    grid->click();
                    sourceKinds[source]->click();
                    targetKinds[target]->click();
                    presenter.DeletePoints({0});
                    presenter.AddPoint(InsidePoint(static_cast<CoordinateKind>(
                        form.sourceKindButtons->id(sourceKinds[source]))));
                    form.transformButton->click();
                    const std::string where = "source " + std::to_string(source) + " target " +
                                              std::to_string(target) + " ticked " +
                                              std::to_string(ticked) + " " +
                                              grid->objectName().toStdString();
                    const bool offered = source == 2 || target == 2;
                    EXPECT_EQ(form.orthometricCheck->isEnabled(), offered) << where;
                    EXPECT_EQ(form.orthometricCheck->isChecked(), ticked) << where;
                    ASSERT_FALSE(transf.processes.empty()) << where;
                    EXPECT_EQ(transf.processes.back().arguments.alturasOrtometricas,
                              ticked && offered ? 1 : 0)
                        << where;
                    EXPECT_EQ(transf.processes.back().arguments.parametros,
                              grid == form.gridOption ? 4 : 0)
                        << where;
                }
            }
        }
    }
}

// The zone of a UTM drawing goes to the engine as the input zone, and the
// drawing's zone is ticked for a UTM output.
TEST_F(ArgumentsTest, DrawingZoneIsTheInputZone) {
    QTemporaryDir folder;
    const QString drawing = folder.filePath("plano.dxf");
    QFile file(drawing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("  0\r\nEOF\r\n");
    file.close();
    form.sourceDatumCombo->setCurrentIndex(0);
    form.targetDatumCombo->setCurrentIndex(1);
    for (const int zone : {29, 30, 31}) {
        presenter.OpenFile(drawing, quillon::InputFormat::Drawing);
        programa.huso()->zoneEdit->setText(QString::number(zone));
        programa.huso()->acceptButton->click();
        form.transformButton->click();
        ASSERT_FALSE(transf.processes.empty());
        EXPECT_EQ(transf.processes.back().arguments.hEntrada, zone);
        EXPECT_EQ(transf.processes.back().arguments.hSalida, zone);
    }
}

} // namespace
} // namespace quillon_test
