#pragma once
#include <QAction>
#include <QString>
// Comments may name ShowError(text) freely.
int CoreValue();
