#pragma once

#include <QString>

/**
 * The demo's bookmark databases: on the first demo start, two databases made from the
 * template and filled with a dozen well-known frequencies (FT8 frequencies of the HF bands,
 * calling frequencies, a 2 m repeater with its split, some marked for the bookmark scan),
 * listed as BOOK0 and BOOK1 in the settings file. Once the settings file lists a BOOK0,
 * nothing is touched again, so the operator's own edits stay.
 */
bool prepareDemoBookmarks(const QString& appPath, QString* error);
