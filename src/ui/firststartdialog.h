#pragma once

#include "common/errorcatalogue.h"
#include "link/portoffers.h"
#include "protocol/civ.h"
#include "settings/radiochoice.h"
#include "settings/startupsettings.h"
#include "ui/hamlibcheck.h"
#include "ui/radiocheck.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class RadioChoiceFields;
class RadioLineFields;

/** What the operator chose on the first start, or when the stored port failed. */
struct FirstStartChoice {
    bool demo = false;          ///< try the virtual radio instead; nothing is configured
    bool withoutRadio = false;  ///< open the window without a port; nothing is configured
    QString device;             ///< the radio's serial port (a path)
    quint8 address = civ::kDefaultRadioAddress;  ///< the radio's CI-V address (ADDR706)
    int baudRate = kDefaultBaudRate;             ///< BAUD
    /** Which way the radio is reached: for the IC-706 family (native) the line above; for
     *  another radio, section RADIO's keys. */
    RadioChoice radio;
};

/** Why the port dialog is shown at a start that has a settings file: the stored port could
 *  not be opened. */
struct PortFailure {
    AppError error;
    RadioLineSettings line;  ///< what the settings file names
};

/**
 * The port dialog. On the first start (no settings file) it offers the radio and its line
 * (RadioChoiceFields: the IC-706 family on a serial port, another radio through Hamlib, or
 * a rigctld on another computer) and three ways out: "Use this port" (UsePort), "Try the demo"
 * (RunDemo) and "Quit". When the stored port failed it shows why (PortError), starts
 * from the stored line, and offers "Work without the radio" (WorkWithoutRadio) in place
 * of the demo.
 *
 * "Use this port" opens the port and asks whether a radio answers there at that address
 * and rate (RadioCheck), without blocking. It accepts when one does. When another of the
 * family's addresses answers, it fills that address in and waits; when none does, it
 * says so, and the same choice pressed again is taken as it is (the radio may be off).
 * Another radio is asked for its frequency through Hamlib (HamlibCheck) in the same way:
 * taken when it answers, else the answer or the error is told and the same choice pressed
 * again is taken as it is.
 */
class FirstStartDialog : public QDialog {
    Q_OBJECT
public:
    /** Stores an accepted choice; false with the reason keeps the dialog open. */
    using Store = std::function<bool(const FirstStartChoice&, QString* error)>;

    FirstStartDialog(const QList<PortOffer>& ports, const QString& settingsFile,
                     const std::optional<PortFailure>& failure = std::nullopt,
                     QWidget* parent = nullptr);

    FirstStartChoice choice() const { return m_choice; }
    void setStore(Store store) { m_store = std::move(store); }

protected:
    void done(int result) override;

private:
    QString introText(const QString& settingsFile, const std::optional<PortFailure>& failure);
    void usePort();
    void onChecked(const RadioCheck::Outcome& outcome);
    void onHamlibChecked(const HamlibCheck::Outcome& outcome);
    void useOtherRadio(const FirstStartChoice& choice);
    void showBackend(RadioBackendKind backend);
    void take(const FirstStartChoice& choice);
    void runDemo();
    void workWithoutRadio();
    void setChecking(bool checking);
    void showError(const QString& text);
    FirstStartChoice fieldsChoice() const;

    FirstStartChoice m_choice;
    Store m_store;
    RadioChoiceFields* m_radio = nullptr;
    RadioLineFields* m_fields = nullptr;  ///< the IC-706 family's, in m_radio
    RadioCheck* m_check = nullptr;
    HamlibCheck* m_hamlibCheck = nullptr;
    /** The choice whose check found no radio: pressed again, it is taken as it is. */
    std::optional<FirstStartChoice> m_unanswered;
    QLabel* m_error = nullptr;
    QPushButton* m_use = nullptr;
    QList<QPushButton*> m_buttons;
};
