#pragma once

#include <QString>

/** The folder of a generated settlement of 999 districts and 20,000 functional regions. */
const QString& LargeFolder();
