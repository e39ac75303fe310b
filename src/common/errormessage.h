#pragma once

#include "common/errorcatalogue.h"

#include <QString>

/** The heading of a numbered error message: "Error" in the program's messages, "Errore" in
 *  the message of a memory that could not be added. */
enum class ErrorHeading { Error, Errore };

/**
 * The numbered error message shown in a box: the heading, " #", the number, CR LF and the
 * error's text ("Error #8012\r\nPort not open"). Callers may append lines of their own.
 */
QString numberedErrorMessage(const AppError& error, ErrorHeading heading = ErrorHeading::Error);
