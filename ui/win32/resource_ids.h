// Resource numbers shared by the resource script and the code; plain macros, so that the
// resource compiler reads them too.
#pragma once

#define STAKORA_ICON 1             // in the version resource, the program's icon
#define STAKORA_FOOTER_BITMAP 101  // the footer picture at 96 dpi
#define STAKORA_FOOTER_2X_BITMAP 102
