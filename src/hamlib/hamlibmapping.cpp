#include "hamlib/hamlibmapping.h"

#include <QFileInfo>

#include <hamlib/rig.h>

#include <array>
#include <cstdlib>

namespace hamlibmapping {

namespace {

struct ModeRow {
    rmode_t mode;
    quint8 code;
};

/** The radio's modes first (one row per code, in code order), then Hamlib's modes that are
 *  the same mode on the other sideband. */
constexpr std::array<ModeRow, 9> kModes = {{
    {RIG_MODE_LSB, 0},
    {RIG_MODE_USB, 1},
    {RIG_MODE_AM, 2},
    {RIG_MODE_CW, 3},
    {RIG_MODE_RTTY, 4},
    {RIG_MODE_FM, 5},
    {RIG_MODE_WFM, 6},
    {RIG_MODE_CWR, 3},
    {RIG_MODE_RTTYR, 4},
}};

}  // namespace

std::optional<quint8> modeCode(quint64 hamlibMode)
{
    for (const ModeRow& row : kModes) {
        if (row.mode == hamlibMode)
            return row.code;
    }
    return std::nullopt;
}

quint64 hamlibMode(quint8 modeCode)
{
    return modeCode < 7 ? kModes[modeCode].mode : RIG_MODE_NONE;
}

RadioCommands::Answer answer(int status)
{
    using Answer = RadioCommands::Answer;
    switch (std::abs(status)) {
        case RIG_OK:
        case RIG_ETRUNC:  // carried out, the value rounded
            return Answer::Ok;
        case RIG_ETIMEOUT:
        case RIG_BUSERROR:  // the line kept no echo of the frame: nobody is there
        case RIG_BUSBUSY:
            return Answer::Timeout;
        case RIG_EINVAL:
        case RIG_ECONF:
        case RIG_ENIMPL:
        case RIG_ERJCTED:
        case RIG_ENAVAIL:
        case RIG_ENTARGET:
        case RIG_EVFO:
        case RIG_EDOM:
        case RIG_EDEPRECATED:
        case RIG_ESECURITY:
        case RIG_EPOWER:
            return Answer::Rejected;
        default:  // RIG_EIO, RIG_EPROTO, RIG_EINTERNAL, ...
            return Answer::WriteFailed;
    }
}

bool unanswered(int status)
{
    const int code = std::abs(status);
    return code == RIG_ETIMEOUT || code == RIG_BUSERROR || code == RIG_BUSBUSY || code == RIG_EIO ||
           code == RIG_EPROTO;
}

AppError openError(int status, const HamlibTarget& target)
{
    if (target.remote())
        return AppError::withDetail(errors::kRemoteRadioUnreachable, target.device);
    if (target.device.isEmpty())
        return AppError::fromNumber(errors::kInvalidPortNumber);
    const QFileInfo info(target.device);
    if (!info.exists())
        return AppError::withDetail(errors::kInvalidPortNumber, target.device);
    if (!info.isReadable() || !info.isWritable())
        return AppError::withDetail(errors::kPermissionDenied, target.device);
    switch (std::abs(status)) {
        case RIG_EIO:  // a device we may read and write that does not open is in use
            return AppError::withDetail(errors::kPortAlreadyOpen, target.device);
        case RIG_ETIMEOUT:
            return AppError::withDetail(errors::kRadioNotAnswering, target.device);
        default:  // the line cannot be set up as asked (baud rate), or the device is no port
            return AppError::withDetail(errors::kSetCommStateFailed, target.device);
    }
}

}  // namespace hamlibmapping
