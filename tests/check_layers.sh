#!/usr/bin/env bash
# The data and calculation layers never include widget headers: they must work without a window.
set -u
cd "$(dirname "$0")/.."
files=$(ls db/*.cpp db/*.h common/*.cpp common/*.h catalogue/core/*.cpp catalogue/core/*.h \
        steps/indexation/*.cpp steps/indexation/*.h steps/info/InfoStep.* \
        office/Package.* office/Document.* office/Workbook.* office/Statement.* office/XlsReader.* \
        office/reports/*.cpp office/reports/*.h app/ReportCommand.* \
        map/Layer.* map/MapDocument.* map/MapGlobal.* map/TabFile.* map/FeatureFactory.* 2>/dev/null)
hits=$(grep -n -E '#include <Q(Widget|Dialog|LineEdit|Label|PushButton|ListWidget|TreeWidget|TableView|MessageBox|Application|MainWindow|Menu|Action)\b|#include <QtWidgets' $files)
if [ -n "$hits" ]; then
    echo "Widget headers in a layer that must work without windows:"
    echo "$hits"
    exit 1
fi
echo "layers: no widget headers in data and calculation code"
