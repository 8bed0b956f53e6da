// The product version, in one place for the version block and the code.
#ifndef TAVORIN_VERSION_H
#define TAVORIN_VERSION_H

#define TAVORIN_VERSION_MAJOR 8
#define TAVORIN_VERSION_MINOR 4
#define TAVORIN_VERSION_BUILD 0
#define TAVORIN_VERSION_REVISION 78
#define TAVORIN_VERSION_TEXT "8.4.0.78"

#endif
