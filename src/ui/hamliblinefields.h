#pragma once

#include "link/portoffers.h"

#include <QList>
#include <QString>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTreeView;

/**
 * Another radio on a serial port, through Hamlib: Hamlib's own list of radios
 * (HamlibModelList: manufacturer, model, status and Hamlib's number, read from Hamlib's
 * registry when the fields are made), narrowed as the operator types in HamlibModelFilter
 * (any column, any case: "706mkiig" finds the Icom IC-706MkIIG; one radio left is
 * selected; Enter or Down goes on to the list), the serial device
 * (HamlibDevice: the system's ports offered, or a typed path) and the baud rate (HamlibBaud).
 */
class HamlibLineFields : public QWidget {
    Q_OBJECT
public:
    HamlibLineFields(const QList<PortOffer>& ports, QWidget* parent = nullptr);

    /** Hamlib's number of the model selected; 0 when none is. */
    int model() const;
    /** The model's "Manufacturer Model", empty when none is selected. */
    QString modelText() const;
    /** Selects that model (and shows it, clearing the filter when it hides it). */
    void setModel(int number);
    QString device() const;
    void setDevice(const QString& device);
    qint32 baudRate() const;
    void setBaudRate(qint32 baud);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    /** The operator changed the model, the device or the rate. */
    void edited();

private:
    void fillModels();
    void addLineRows(const QList<PortOffer>& ports);

    QLineEdit* m_filter = nullptr;
    QStandardItemModel* m_models = nullptr;
    QSortFilterProxyModel* m_shown = nullptr;
    QTreeView* m_list = nullptr;
    QComboBox* m_device = nullptr;
    QComboBox* m_baud = nullptr;
};
