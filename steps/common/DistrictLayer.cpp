#include "steps/common/DistrictLayer.h"

#include "map/MapGlobal.h"
#include "steps/common/StepContext.h"

#include <QFileInfo>

QString DistrictLayerFolder(const StepContext& context) {
    if (context.map)
        if (const Layer* districts = GetLayer(*context.map, QStringLiteral("райони")))
            return QFileInfo(districts->filespec()).absolutePath();
    return context.folder;
}
