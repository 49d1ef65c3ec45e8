#include "transformacion.h"

#include "calculo.h"
#include "mapa.h"
#include "programa.h"
#include "services.h"
#include "texto.h"
#include "ventanalog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTime>
#include <cmath>

namespace quillon {

namespace {

// Coordinate kinds and datums as the engine numbers them.
constexpr int kGeodetic = 1;
constexpr int kUtm = 2;
constexpr int kGeocentric = 3;
constexpr int kEd50 = 14;
constexpr int kEtrs89 = 19;

constexpr char kTab = '\t';

// The wait cursor for as long as the run lasts, whichever way it ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QByteArray N(double v) {
    return ToCp1252(NumberText(v));
}

int SourceKind(const Calculo& form) {
    return form.Option1->isChecked() ? kGeocentric : form.Option2->isChecked() ? kGeodetic : kUtm;
}

int TargetKind(const Calculo& form) {
    return form.Option4->isChecked() ? kGeocentric : form.Option5->isChecked() ? kGeodetic : kUtm;
}

// Splits a file into lines: a line feed ends a line, a CR before it belongs
// to the end; a last line without a line feed counts too.
QList<QByteArray> Lines(const QByteArray& bytes) {
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    for (QByteArray& line : lines) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
    }
    return lines;
}

} // namespace

bool IsOutsideRegion(const PointRecord& point, int kind) {
    switch (kind) {
    case kGeodetic:
        return !RegionGeodetic.Contains(point.c1, point.c2);
    case kGeocentric:
        return !RegionGeocentric.Contains(point.c1, point.c2);
    default:
        switch (point.zone) {
        case 29:
            return !RegionUtm29.Contains(point.c1, point.c2);
        case 30:
            return !RegionUtm30.Contains(point.c1, point.c2);
        case 31:
            return !RegionUtm31.Contains(point.c1, point.c2);
        default:
            return true;
        }
    }
}

QString OutsideLine(const PointRecord& point) {
    return QStringLiteral("#") + point.id + QLatin1Char(',') + NumberText(point.c1) +
           QLatin1Char(',') + NumberText(point.c2) + QLatin1Char(',') + NumberText(point.c3);
}

QStringList LogWindowLines(const QByteArray& log, bool utm_source) {
    const int output_line = utm_source ? 12 : 11;
    QStringList lines;
    int number = 0;
    for (const QByteArray& line : Lines(log)) {
        ++number;
        if (number != 7 && number != output_line) {
            lines << FromCp1252(line);
        }
    }
    return lines;
}

Transformacion::Transformacion(Calculo& form, Programa& programa)
    : form_(form), programa_(programa), state_(programa.state()) {}

QString Transformacion::Temp(const char* name) const {
    return programa_.TempFile(QString::fromLatin1(name));
}

void Transformacion::FileFailure(const QString& what, const QString& path) {
    form_.List1->clear();
    form_.List1->addItems(listBefore_);
    programa_.messages().Show(what + QLatin1Char('\r') + path, QStringLiteral("Error"),
                              MessageIcon::Critical);
}

bool Transformacion::WritePointFile() {
    const int kind = SourceKind(form_);
    QByteArray text = "Archivo temporal con las coordenadas de los puntos a transformar\r\n";
    outsideCount_ = 0;
    nameTable_.clear();
    for (int i = 1; i <= state_.pointCount; ++i) {
        const PointRecord& p = state_.PointTable[i - 1];
        if (IsOutsideRegion(p, kind)) {
            ++outsideCount_;
            // The point's line is replaced by its marked line, which stays selected.
            form_.List1->setCurrentRow(i - 1);
            form_.List1->insertItem(i - 1, OutsideLine(p));
            delete form_.List1->takeItem(i);
            form_.List1->setCurrentRow(i - 1);
            continue;
        }
        text += N(i) + kTab;
        if (kind == kGeodetic) {
            // Longitude first, both in decimal degrees.
            text += N(PackedToDegrees(p.c2)) + kTab + N(PackedToDegrees(p.c1)) + kTab + N(p.c3) +
                    kTab + N(p.zone);
        } else {
            text += N(p.c1) + kTab + N(p.c2) + kTab + N(p.c3);
            if (kind == kUtm) {
                text += kTab + N(p.zone);
            }
        }
        text += "\r\r\n";
        nameTable_.push_back(p.id);
    }
    QFile file(Temp(kPointFile));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() ||
        !file.flush()) {
        return false;
    }
    file.close();
    return file.error() == QFileDevice::NoError;
}

void Transformacion::ChooseParameters(Codes& codes) {
    codes.parametros = 0;
    codes.selec_param = 0.0;
    if (form_.Option7->isChecked()) {
        form_.Label12->setEnabled(false);
        return;
    }
    if (form_.Option8->isChecked()) {
        codes.parametros = 1;
        form_.Label12->setEnabled(true);
        return;
    }
    state_.VertexCountMode = 0;
    state_.DistanceMode = 0;
    constexpr double kCounts[] = {3, 4, 5, 10};
    constexpr double kDistances[] = {25000, 50000, 100000, 150000};
    if (const int n = form_.Combo3->currentIndex(); n >= 1 && n <= 4) {
        state_.VertexCountMode = 1;
        state_.VertexCount = kCounts[n - 1];
    }
    if (const int d = form_.Combo4->currentIndex(); d >= 1 && d <= 4) {
        state_.DistanceMode = 1;
        state_.DistanceLimit = kDistances[d - 1];
    }
    if (state_.VertexCountMode == 1) {
        codes.parametros = 3;
        codes.selec_param = state_.VertexCount;
    } else if (state_.DistanceMode == 1) {
        codes.parametros = 2;
        codes.selec_param = state_.DistanceLimit;
    } else {
        programa_.messages().Show(QStringLiteral("al seleccionar todos los vértices disponibles se "
                                                 "pasa al empleo de parámetros regionales"),
                                  QString::fromLatin1(kProgramTitle), MessageIcon::None);
        codes.parametros = 1;
        form_.Option8->setChecked(true); // runs the option's handler
    }
    form_.Label12->setEnabled(true);
}

Transformacion::Codes Transformacion::ReadCodes() {
    Codes codes;
    ChooseParameters(codes);
    codes.model = form_.Option10->isChecked() ? 0 : form_.Option11->isChecked() ? 1 : 2;
    codes.da = form_.Combo1->currentIndex() == 0 ? kEd50 : kEtrs89;
    codes.db = form_.Combo2->currentIndex() == 0 ? kEd50 : kEtrs89;
    codes.pa = SourceKind(form_);
    codes.pb = TargetKind(form_);
    codes.h_salida = form_.Check1->isChecked()   ? 29
                     : form_.Check2->isChecked() ? 30
                     : form_.Check3->isChecked() ? 31
                                                 : 0;
    codes.h_entrada = state_.drawingMode && codes.pa == kUtm ? state_.drawingZone : 0;
    return codes;
}

void Transformacion::DrawCentroid(double xc, double yc) {
    auto& transf = form_.Transf1;
    double x_min = transf.XMinMRE(), x_max = transf.XMaxMRE();
    double y_min = transf.YMinMRE(), y_max = transf.YMaxMRE();
    if (x_max - x_min < 10000) {
        // A small area is shown as an 8 km square around its centre.
        x_min = xc - 4000, x_max = xc + 4000, y_min = yc - 4000, y_max = yc + 4000;
    }
    Mapa* mapa = programa_.mapa();
    mapa->Form_Load();
    mapa->DrawMapSymbol(xc, yc, 2);
    mapa->DrawMapEdge(x_min, y_max, x_max, y_max);
    mapa->DrawMapEdge(x_max, y_max, x_max, y_min);
    mapa->DrawMapEdge(x_max, y_min, x_min, y_min);
    mapa->DrawMapEdge(x_min, y_min, x_min, y_max);
}

int Transformacion::SearchVertices(const Codes& codes, double xc, double yc) {
    auto& transf = form_.Transf1;
    if (state_.VertexCountMode == 1) {
        transf.BuscarPuntosPorNumero(static_cast<std::int32_t>(std::lround(codes.selec_param)), xc,
                                     yc, 0, 30, kEd50, kUtm);
    } else {
        transf.BuscarPuntosPorDistancia(codes.selec_param, xc, yc, 0, 30, kEd50, kUtm);
    }
    const int found = transf.NumeroPuntosEncontrados();
    Mapa* mapa = programa_.mapa();
    for (int j = 0; j < found; ++j) {
        transf.ObtenerPuntoEncontrado(j);
        mapa->DrawMapSymbol(transf.XED50SEL(), transf.YED50SEL(), 3);
    }
    form_.Label12->setText(NumberText(found) + QStringLiteral(" vértices empleados"));
    return found;
}

bool Transformacion::ReadResults(int kind) {
    QByteArray bytes;
    if (!ReadWholeFile(Temp(kResultFile), bytes)) {
        return false;
    }
    const QList<QByteArray> lines = Lines(bytes);
    const int m = static_cast<int>(nameTable_.size());
    if (lines.size() < m + 1) {
        return false;
    }
    for (int n = 1; n <= m; ++n) {
        const QList<QByteArray> f = lines[n].split(kTab);
        if (f.size() < (kind == kUtm ? 5 : 4)) {
            return false;
        }
        PointRecord& r = state_.ResultTable[n - 1];
        r.id = nameTable_[n - 1];
        const double a = f[1].toDouble(), b = f[2].toDouble(), c = f[3].toDouble();
        if (kind == kGeodetic) {
            r.c1 = b; // latitude
            r.c2 = a; // longitude
        } else {
            r.c1 = a;
            r.c2 = b;
        }
        r.c3 = c;
        if (kind == kUtm) {
            r.zone = static_cast<std::int16_t>(std::lround(f[4].toDouble()));
        }
    }
    QFile::remove(Temp(kPointFile));
    QFile::remove(Temp(kResultFile));
    if (kind == kGeodetic) {
        for (int n = 0; n < m; ++n) {
            PointRecord& r = state_.ResultTable[n];
            r.c1 = DegreesToPacked(r.c1);
            r.c2 = DegreesToPacked(r.c2);
        }
    }
    return true;
}

void Transformacion::ShowResults(int kind) {
    const int m = static_cast<int>(nameTable_.size());
    for (int n = 0; n < m; ++n) {
        PointRecord& r = state_.ResultTable[n];
        if (kind == kGeodetic) {
            // Shown and kept rounded down: 8 decimals of the packed angles, mm of h.
            r.c1 = std::floor(r.c1 * 1e8) / 1e8;
            r.c2 = std::floor(r.c2 * 1e8) / 1e8;
            r.c3 = std::floor(r.c3 * 1000) / 1000;
        }
        QString line = r.id + QLatin1Char(',') + NumberText(r.c1) + QLatin1Char(',') +
                       NumberText(r.c2) + QLatin1Char(',') + NumberText(r.c3);
        if (kind == kUtm) {
            line += QLatin1Char(',') + NumberText(r.zone);
        }
        form_.List2->addItem(line);
    }
}

void Transformacion::ShowLog(const QByteArray& log, bool with_date) {
    VentanaLog* window = programa_.ventanalog();
    window->List1->clear();
    window->List1->addItems(LogWindowLines(log, SourceKind(form_) == kUtm));
    if (with_date) {
        window->List1->insertItem(
            3, QStringLiteral("Conversión realizada el día ") +
                   QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat) +
                   QStringLiteral(" a las ") +
                   QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
        window->List1->insertItem(4, QString());
    }
}

void Transformacion::Run() {
    MessageSink& messages = programa_.messages();
    // 1. Nothing to transform.
    if (state_.pointCount == 0 && !state_.drawingMode) {
        messages.Show(QStringLiteral("No se han introducido coordenadas para transformar"),
                      QStringLiteral("Error"), MessageIcon::Critical);
        return;
    }
    const WaitCursor wait;
    if (programa_.TempFolder().isEmpty()) {
        messages.Show(QStringLiteral("No se ha podido crear la carpeta temporal del programa"),
                      QStringLiteral("Error"), MessageIcon::Critical);
        return;
    }
    // 3. Files of an earlier run.
    for (const char* name : {kPointFile, kResultFile, kRunLogFile}) {
        QFile::remove(Temp(name));
    }
    listBefore_.clear();
    for (int i = 0; i < form_.List1->count(); ++i) {
        listBefore_ << form_.List1->item(i)->text();
    }

    // 4-5. The points inside the region go to the point file.
    if (!state_.drawingMode) {
        if (!WritePointFile()) {
            FileFailure(QStringLiteral("No se ha podido escribir el archivo temporal de puntos"),
                        Temp(kPointFile));
            return;
        }
        if (outsideCount_ >= 1) {
            messages.Show(QStringLiteral("No se han transformado") + NumberText(outsideCount_) +
                              QStringLiteral(" puntos (marcados con #).\rSe encuentran fuera de "
                                             "la región de cálculo del programa"),
                          QStringLiteral("Aviso"), MessageIcon::Exclamation);
            if (outsideCount_ == state_.pointCount) {
                messages.Show(QStringLiteral("No se transformará ningún punto"),
                              QStringLiteral("aviso"), MessageIcon::Exclamation);
                return;
            }
        }
    }

    // 6-7. The form's choices as engine codes.
    const Codes codes = ReadCodes();
    auto& transf = form_.Transf1;

    // 8-9. Centroid and rectangle, on the map.
    if (state_.drawingMode) {
        transf.CentroideDXF(state_.inputFileName.toStdString(), codes.da, codes.pa,
                            codes.h_entrada);
    } else {
        transf.CentroideTXT(Temp(kPointFile).toStdString(), codes.da, codes.pa, codes.h_entrada);
    }
    double xc, yc;
    if (form_.Combo5->currentIndex() == 0) { // geometric centre
        xc = (transf.XMinMRE() + transf.XMaxMRE()) * 0.5;
        yc = (transf.YMinMRE() + transf.YMaxMRE()) * 0.5;
    } else { // centre of mass
        xc = transf.XCentroide();
        yc = transf.YCentroide();
    }
    DrawCentroid(xc, yc);

    // 10-11. Vertices of a local transformation, at least three between datums.
    bool call_engine = true;
    if (form_.Option9->isChecked()) {
        const int found = SearchVertices(codes, xc, yc);
        if (codes.da != codes.db && found < 3) {
            messages.Show(QStringLiteral("El número de vértices encontrados es menor a 3.\r No se "
                                         "realizará la transformación"),
                          QString::fromLatin1(kProgramTitle), MessageIcon::None);
            call_engine = false;
        }
    }

    // 12. The transformation.
    bool done = false;
    if (call_engine) {
        const std::string log = Temp(kRunLogFile).toStdString();
        const std::string input = state_.drawingMode ? state_.inputFileName.toStdString()
                                                     : Temp(kPointFile).toStdString();
        const std::string output =
            Temp(state_.drawingMode ? kDrawingOutput : kResultFile).toStdString();
        const auto process = state_.drawingMode ? &dezadiravevava::TransfClient::ProcesarDXF
                                                : &dezadiravevava::TransfClient::ProcesarTXT;
        done = (transf.*process)(log, input, codes.da, codes.pa, codes.h_entrada, output, codes.db,
                                 codes.pb, codes.h_salida, codes.model, codes.parametros,
                                 codes.selec_param, xc, yc, 0) == 1;
        if (!done) {
            messages.Show(QStringLiteral("La transformación no ha tenido éxito.\rSe visualizará "
                                         "el registro de operaciones efectuadas."),
                          QStringLiteral("Advertencia"), MessageIcon::Critical);
            // The log as far as the engine got, without a date.
            QByteArray log;
            if (ReadWholeFile(Temp(kRunLogFile), log)) {
                ShowLog(log, false);
                form_.Command13_Click();
            }
        }
    }

    // 13. The result list.
    form_.List2->clear();
    if (!done) {
        return;
    }
    // 14-15. Results and log, both read before anything on the form changes.
    if (!state_.drawingMode && !ReadResults(codes.pb)) {
        FileFailure(QStringLiteral("El archivo de resultados de la transformación está incompleto"),
                    Temp(kResultFile));
        return;
    }
    QByteArray log;
    if (!ReadWholeFile(Temp(kRunLogFile), log)) {
        FileFailure(QStringLiteral("No se encuentra el registro de la transformación"),
                    Temp(kRunLogFile));
        return;
    }
    if (state_.drawingMode) {
        form_.List2->addItems({QStringLiteral("Transformación realizada."),
                               QStringLiteral("Se ha escrito el archivo:"),
                               QString::fromLatin1(kDrawingOutput)});
        form_.Command5->setEnabled(false);
    } else {
        ShowResults(codes.pb);
        form_.Command5->setEnabled(true);
    }
    form_.Command8->setEnabled(true);
    form_.Command9->setEnabled(true);
    form_.Command13->setEnabled(true);
    QFile::remove(Temp(kRunLogFile));
    ShowLog(log, true);
}

} // namespace quillon
