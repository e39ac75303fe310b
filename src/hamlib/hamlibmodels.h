#pragma once

#include "hamlib/hamlibtypes.h"

#include <QList>

/** Every radio Hamlib knows, from its own registry at run time, by manufacturer and then
 *  model name: for a searchable list of models. Call on the GUI thread. */
QList<HamlibModel> hamlibModels();
