#pragma once
#include <QIcon>

// The application icon (resource 128): a fan of three cards.
QIcon AppIcon();
