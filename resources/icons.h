// The compiled-in icons (":/icons/<name>.svg").
#pragma once

// Registers the icons; safe to call more than once. A static library's resources are not
// registered by themselves, so every window that uses them calls this first.
void InitKestivoIcons();

#include <QIcon>

// A compiled-in icon by name ("grab") or resource path; drawn light on a dark look. Registers the
// icons first.
QIcon KestivoIcon(const QString& name);
