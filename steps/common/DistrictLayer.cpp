#include "steps/common/DistrictLayer.h"

#include "map/MapGlobal.h"
#include "steps/common/StepContext.h"
#include "valuation/Names.h"

#include <QFileInfo>

QString DistrictLayerFolder(const StepContext& context) {
    if (context.map)
        if (const Layer* districts = GetLayer(*context.map, names::layer::Districts()))
            return QFileInfo(districts->filespec()).absolutePath();
    return context.folder;
}
