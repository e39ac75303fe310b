#include "common/errormessage.h"

QString numberedErrorMessage(const AppError& error, ErrorHeading heading)
{
    const QString word =
        heading == ErrorHeading::Errore ? QStringLiteral("Errore") : QStringLiteral("Error");
    return word + QStringLiteral(" #") + QString::number(error.number) + QStringLiteral("\r\n") +
           error.text;
}
