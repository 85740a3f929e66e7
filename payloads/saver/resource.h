#pragma once

// The display settings list a screen saver under this string.
#define IDS_DESCRIPTION 1
