// The transformation run of the form's transform button: the points (or the
// drawing) go to the engine through temporary files, the centroid and the
// vertices used go onto the map, and the results and the execution log come
// back into the result list and the log window.
#pragma once

#include "module1.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace quillon {

class Calculo;
class Programa;

// Names of the run's temporary files, kept in the program's private
// temporary folder.
inline constexpr char kPointFile[] = "temp_a";
inline constexpr char kResultFile[] = "temp_b";
inline constexpr char kRunLogFile[] = "temp_log";
inline constexpr char kDrawingOutput[] = "salida.dxf";

// True when a point of the list lies outside the area the program serves:
// geodetic points (packed sexagesimal) against the geodetic limits, geocentric
// ones against the geocentric limits, UTM points against the limits of their
// own zone; a UTM zone other than 29, 30 or 31 has no area.
bool IsOutsideRegion(const PointRecord& point, int kind);

// The line a point takes in the point list when it is left out of a run.
QString OutsideLine(const PointRecord& point);

// The lines of an execution log as the log window shows them: every line but
// the two that name the input and output files (7 and 11, or 7 and 12 for a
// UTM source, whose input side has a zone line).
QStringList LogWindowLines(const QByteArray& log, bool utm_source);

class Transformacion {
public:
    Transformacion(Calculo& form, Programa& programa);

    // The whole run.
    void Run();

private:
    // Engine codes of the form's choices.
    struct Codes {
        int da = 0, pa = 0, db = 0, pb = 0, model = 0, parametros = 0;
        double selec_param = 0.0, h_entrada = 0.0, h_salida = 0.0;
    };

    bool WritePointFile();
    void ChooseParameters(Codes& codes);
    Codes ReadCodes();
    void DrawCentroid(double xc, double yc);
    int SearchVertices(const Codes& codes, double xc, double yc);
    bool ReadResults(int kind);
    void ShowResults(int kind);
    // Fills the log window with the lines of a log, and the date line when asked.
    void ShowLog(const QByteArray& log, bool with_date);
    // Stops the run over its own file work: says what failed and puts the
    // point list back as it was.
    void FileFailure(const QString& what, const QString& path);
    QString Temp(const char* name) const;

    Calculo& form_;
    Programa& programa_;
    ProgramState& state_;
    QStringList listBefore_;     // point list lines before the run marked any
    QVector<QString> nameTable_; // id of each point written, in order
    int outsideCount_ = 0;
};

} // namespace quillon
