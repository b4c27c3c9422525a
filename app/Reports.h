// SPDX-License-Identifier: MIT
#pragma once

#include "store/Result.h"

class QWidget;
class GridModel;

// After a change: reload the list; a failed reload is told as what it is
// (the change is stored), and so are rows of the file newly left out or
// marked.
void reloadAfter(QWidget* parent, GridModel& model, const QString& change);
// A change the database refused, told with the engine's words.
void reportRefused(QWidget* parent, const QString& what, const QString& why);
