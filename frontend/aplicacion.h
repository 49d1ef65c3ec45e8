// The desktop program as a whole: its shared state, the services through
// which it talks to the user, the folder of its data and every window it
// has loaded. Windows reach one another through it.
#pragma once

#include "comun.h"

#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <memory>

class QSettings;

namespace quillon {

class AcercaDe;
class DialogoAnadirPunto;
class Ayuda;
class Calculo;
class DialogoEditarPunto;
class FileDialogs;
class FormPresenter;
class Huso;
class Mapa;
class MessageSink;
class Principal;
class Progreso;
class Preferences;
class Splash;
class TransfControl;
class VentanaLog;

// Name of the help document in the data folder.
inline constexpr char kHelpDocument[] = "ayudaQuillon.pdf";

// The folder that holds the program's pictures and help document, found from
// the folder of the executable: "<program>/../share/quillon" once installed,
// the program's own folder in the build tree (the build copies the data
// there). Empty when neither holds the help document.
QString FindDataFolder(const QString& programFolder);

// Loads Qt's own Spanish translations (dialog buttons, file dialogs) into
// the application; false when they are not installed.
bool InstallSpanishTranslations();

class Aplicacion {
public:
    // Creates the splash window and the frame window with the transformation
    // form. Nothing is shown yet. The program remembers the user's choices
    // in `settings`. The engine control is `transf` when given (it must
    // outlive the program), otherwise one the program creates.
    Aplicacion(MessageSink& messages, FileDialogs& files, QSettings& settings, QString dataFolder,
               TransfControl* transf = nullptr);
    ~Aplicacion();
    Aplicacion(const Aplicacion&) = delete;
    Aplicacion& operator=(const Aplicacion&) = delete;

    ProgramState& state() { return state_; }
    MessageSink& messages() { return messages_; }
    FileDialogs& files() { return files_; }
    Preferences& preferences() { return *preferences_; }
    FormPresenter& presenter() { return *presenter_; }
    TransfControl& transf() { return *transf_; }
    Progreso* progreso() const { return progreso_.get(); }

    const QString& dataFolder() const { return dataFolder_; }
    // A picture of the data folder by file name; null when it is missing.
    QPixmap Picture(const QString& fileName) const;
    // Full path of the help document.
    QString HelpDocumentPath() const;

    // The program's own temporary folder: made at start-up with a unique name,
    // readable by its owner only, removed with everything in it at exit. The
    // run's files ("temp_a", "temp_b", "temp_log", "tempdxf", "salida.dxf")
    // live there. Empty when it could not be made.
    QString TempFolder() const;
    QString TempFile(const QString& name) const;

    // Shows the splash window, where the program starts.
    void Start();
    // Unloads every window and ends the program; with unsaved results it
    // first asks whether to leave without them. False when the program goes
    // on (a run under way, or the user stays).
    bool End();

    Splash* splash() const { return splash_.get(); }
    Principal* principal() const { return principal_.get(); }
    Calculo* calculo() const;

    // The secondary windows, loaded on first use. The map and the log window
    // are then only shown and hidden; the help window and the about box are
    // closed completely when the user leaves them and loaded anew next time.
    Mapa* mapa();
    VentanaLog* ventanalog();
    Ayuda* ayuda();
    AcercaDe* acerca_de();
    // The loaded window, or null.
    Mapa* loadedMapa() const { return mapa_; }
    VentanaLog* loadedVentanaLog() const { return ventanalog_; }
    Ayuda* loadedAyuda() const;
    AcercaDe* loadedAcercaDe() const;

    // The point dialogs and the zone dialog, loaded on first use and then
    // only shown and hidden.
    DialogoAnadirPunto* dialogoAnadir();
    DialogoEditarPunto* dialogoEditar();
    Huso* huso();

private:
    ProgramState state_;
    MessageSink& messages_;
    FileDialogs& files_;
    QString dataFolder_;
    QTemporaryDir temp_;
    bool ending_ = false;
    std::unique_ptr<TransfControl> ownTransf_;
    TransfControl* transf_ = nullptr;
    std::unique_ptr<Preferences> preferences_;
    std::unique_ptr<FormPresenter> presenter_;
    // The engine's progress window, drawn for the control of the form.
    std::unique_ptr<Progreso> progreso_;

    std::unique_ptr<Principal> principal_;
    std::unique_ptr<Splash> splash_;
    // Owned by the frame window, as its secondary windows.
    Mapa* mapa_ = nullptr;
    VentanaLog* ventanalog_ = nullptr;
    QPointer<Ayuda> ayuda_;
    QPointer<AcercaDe> acerca_de_;
    DialogoAnadirPunto* dialogoAnadir_ = nullptr;
    DialogoEditarPunto* dialogoEditar_ = nullptr;
    Huso* huso_ = nullptr;
};

} // namespace quillon
