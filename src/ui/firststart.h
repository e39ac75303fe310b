#pragma once

#include "common/errorcatalogue.h"
#include "link/portoffers.h"
#include "settings/apppath.h"

#include <QString>

struct FirstStartChoice;

/** Where the program finds its files at start. */
struct StartPlaces {
    DataFolder folder;
    QString templateFile;                                   ///< the installed EMPTY.MDB
    QString byIdFolder = QLatin1String(kSerialByIdFolder);  ///< links offered first
};

/** How the program goes on after prepareStart. */
enum class StartRoute {
    Window,  ///< start the main window on the folder's settings file
    Demo,    ///< the operator asked for the demo: run as with --demo
    Quit,    ///< the operator quit the first-start dialog, or a failure was told
};

/**
 * Before the main window: a user data folder is created with its template copy. With
 * demo (--demo) that is all, and the route is StartRoute::Demo. Otherwise, when the
 * folder holds no settings file, the first-start dialog asks for the port, the
 * radio and its address, and writeFirstStartChoice stores the answer. A settings file that
 * exists is left alone and nothing is asked. A failure is told in a message box and gives
 * StartRoute::Quit with *exitCode 1 (0 when the operator quit).
 */
StartRoute prepareStart(const StartPlaces& places, bool demo, int* exitCode);

/**
 * Writes a first-start choice into appPath's settings file: the radio as writeRadioChosen
 * stores it, on port 1; and, so that the grid has a database to open, a default bookmark
 * database DEFAULT.MDB copied from the template (kept when it exists) as BOOK0 with the
 * caption "Default". The database comes first: when it cannot be made, no key is written
 * and the next start asks again.
 */
bool writeFirstStartChoice(const QString& appPath, const FirstStartChoice& choice,
                           const QString& templateFile, AppError* error);

/**
 * Stores the radio chosen in the port dialog. The IC-706 family: COMPORT = portNumber,
 * COMn = the device, ADDR706 = the address, BAUD = the rate, with one replacement of the
 * file (section RADIO is left as it is). Another radio: its section RADIO first, then that
 * line only when a device was chosen for it.
 */
bool writeRadioChosen(const QString& settingsFile, const FirstStartChoice& choice, int portNumber,
                      AppError* error);

/** The main window's title: the program's name and the folder in use. */
QString windowTitleFor(const DataFolder& folder);
