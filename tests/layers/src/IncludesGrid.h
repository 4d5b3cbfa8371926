#pragma once
#include "widgets/GridView.h"
#include <QPushButton>
