#pragma once

#include "link/portoffers.h"
#include "protocol/civ.h"

#include <QDialog>
#include <QList>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;

/** What the operator chose on the first start. */
struct FirstStartChoice {
    bool demo = false;  ///< try the virtual radio instead; nothing is configured
    QString device;     ///< the radio's serial port (a path)
    quint8 address = civ::kDefaultRadioAddress;  ///< the radio's CI-V address (ADDR706)
};

/** A radio model and its factory CI-V address. */
struct RadioModel {
    const char* name;
    quint8 address;
};

/** The models offered, original IC-706 first (its address is the one used when ADDR706 is
 *  absent). */
inline constexpr RadioModel kRadioModels[] = {
    {"IC-706", civ::kDefaultRadioAddress},
    {"IC-706MKII", 0x4E},
    {"IC-706MKIIG", 0x58},
};

/**
 * The first start with no settings file: the system's serial ports (PortList; picking one
 * fills PortPath, where a path can also be typed), the radio model (RadioModel) filling
 * in the CI-V address (RadioAddress), and three ways out: "Use this port" (UsePort) tries
 * to open the port and accepts only when it opens, "Try the demo" (RunDemo), and "Quit".
 */
class FirstStartDialog : public QDialog {
    Q_OBJECT
public:
    FirstStartDialog(const QList<PortOffer>& ports, const QString& settingsFile,
                     QWidget* parent = nullptr);

    FirstStartChoice choice() const { return m_choice; }

private:
    QWidget* buildPortBox(const QList<PortOffer>& ports);
    QWidget* buildRadioBox();
    void usePort();
    void runDemo();
    void showError(const QString& text);

    FirstStartChoice m_choice;
    QListWidget* m_portList = nullptr;
    QLineEdit* m_portPath = nullptr;
    QComboBox* m_model = nullptr;
    QSpinBox* m_address = nullptr;
    QLabel* m_error = nullptr;
};
