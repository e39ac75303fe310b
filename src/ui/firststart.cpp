#include "ui/firststart.h"

#include "common/errormessage.h"
#include "memory/bookmarkfiles.h"
#include "settings/inifile.h"
#include "settings/radiochoice.h"
#include "settings/startupsettings.h"
#include "ui/firststartdialog.h"
#include "ui/messagebox.h"

#include <QDir>
#include <QFileInfo>

namespace {

/** The port the first start puts the radio behind: the first item of "Com Port". */
constexpr int kFirstStartPort = 1;
const QString kDefaultDatabase = QStringLiteral("DEFAULT.MDB");
const QString kDefaultCaption = QStringLiteral("Default");

StartRoute failed(const QString& text, int* exitCode)
{
    showMessage(nullptr, QMessageBox::Critical, QString(), text);
    *exitCode = 1;
    return StartRoute::Quit;
}

}  // namespace

StartRoute prepareStart(const StartPlaces& places, bool demo, int* exitCode)
{
    *exitCode = 0;
    const QString appPath = places.folder.appPath;
    if (places.folder.use == DataFolderUse::UserData) {
        QString error;
        if (!prepareUserDataFolder(appPath, places.templateFile, QLatin1String(kTemplateFileName),
                                   &error))
            return failed(error, exitCode);
    }
    if (demo)
        return StartRoute::Demo;
    const QString settingsFile = settingsFilePath(appPath);
    if (QFileInfo::exists(settingsFile))
        return StartRoute::Window;

    FirstStartDialog dialog(availablePorts(places.byIdFolder), settingsFile);
    if (dialog.exec() != QDialog::Accepted)
        return StartRoute::Quit;
    if (dialog.choice().demo)
        return StartRoute::Demo;
    AppError error;
    if (!writeFirstStartChoice(appPath, dialog.choice(), places.templateFile, &error))
        return failed(numberedErrorMessage(error), exitCode);
    return StartRoute::Window;
}

bool writeFirstStartChoice(const QString& appPath, const FirstStartChoice& choice,
                           const QString& templateFile, AppError* error)
{
    if (!QDir().mkpath(appPath)) {
        if (error)
            *error = AppError::withDetail(errors::kPathFileAccess, appPath);
        return false;
    }
    const QString database = appPath + kDefaultDatabase;
    if (!QFileInfo::exists(database)) {
        const QString copyInFolder = appPath + QLatin1String(kTemplateFileName);
        const QString source = QFileInfo::exists(copyInFolder) ? copyInFolder : templateFile;
        if (!createFromTemplate(source, database, false, error))
            return false;
    }
    const QString file = settingsFilePath(appPath);
    // One replacement of the file a section: the port choice is stored whole or not at all.
    const bool written = writeRadioChosen(file, choice, kFirstStartPort, nullptr) &&
                         writeIniValues(file, QString::fromLatin1(kBookmarksSection),
                                        {{QStringLiteral("BOOK0CAPTION"), kDefaultCaption},
                                         {QStringLiteral("BOOK0"), kDefaultDatabase}},
                                        nullptr);
    if (!written && error)
        *error = AppError::withDetail(errors::kSettingsWriteFailed, file);
    return written;
}

bool writeRadioChosen(const QString& settingsFile, const FirstStartChoice& choice, int portNumber,
                      AppError* error)
{
    // The IC-706 family needs no section RADIO (its absence means that family); another
    // radio keeps the IC-706 line only when one was chosen too.
    const bool native = choice.radio.backend == RadioBackendKind::Native;
    if (!native && !writeRadioChoice(settingsFile, choice.radio, error))
        return false;
    if (!native && choice.device.isEmpty())
        return true;
    const RadioLineSettings line{portNumber, choice.device, choice.address, choice.baudRate};
    return writeRadioLineSettings(settingsFile, line, {}, error);
}

QString windowTitleFor(const DataFolder& folder)
{
    return QStringLiteral("%1 - %2").arg(kProgramTitle,
                                         QDir::toNativeSeparators(QDir::cleanPath(folder.appPath)));
}
