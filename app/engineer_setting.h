#pragma once
// The engineer's name on the walk's protocol: asked for once, in the walk
// tab, and kept in the user's settings for the next walk.

#include <QString>

QString stored_engineer();
void store_engineer(const QString& name);
