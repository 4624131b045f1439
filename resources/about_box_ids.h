// Identifiers of the About box template and its two pictures (read by the resource
// compiler as well as by C++).
#pragma once

#define ABOUT_PRODUCT_BITMAP 106
#define ABOUT_LOGO_BITMAP 111
#define ABOUT_LOGO_AREA 1036
#define ABOUT_VERSION_LINE 1039
#define ABOUT_PRODUCT_PICTURE 1050
