#include "hamlib/hamlibmodels.h"

#include "hamlib/hamlibdebug.h"

#include <hamlib/rig.h>

#include <algorithm>

namespace {

int addModel(const rig_caps* caps, rig_ptr_t data)
{
    auto* models = static_cast<QList<HamlibModel>*>(data);
    models->append({int(caps->rig_model), QString::fromLatin1(caps->mfg_name),
                    QString::fromLatin1(caps->model_name),
                    QString::fromLatin1(rig_strstatus(caps->status))});
    return 1;  // go on
}

}  // namespace

QList<HamlibModel> hamlibModels()
{
    HamlibLog::instance();  // before Hamlib says anything
    rig_load_all_backends();
    QList<HamlibModel> models;
    rig_list_foreach(addModel, &models);
    std::sort(models.begin(), models.end(), [](const HamlibModel& a, const HamlibModel& b) {
        const int byMaker = a.manufacturer.compare(b.manufacturer, Qt::CaseInsensitive);
        if (byMaker != 0)
            return byMaker < 0;
        const int byName = a.name.compare(b.name, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a.number < b.number;
    });
    return models;
}
