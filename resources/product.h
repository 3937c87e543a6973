/* Facts about the program shared by the code and the Windows resource script, so plain
   preprocessor definitions only. */
#ifndef HUECLIP_PRODUCT_H
#define HUECLIP_PRODUCT_H

#define HUECLIP_NAME "Hueclip"
#define HUECLIP_DESCRIPTION "Gets the colour details for a pixel selected by mouse cursor"
#define HUECLIP_VERSION_TEXT "1.01"
#define HUECLIP_VERSION_NUMBERS 1, 1, 0, 0
#define HUECLIP_AUTHOR "Quorvane Labs"
#define HUECLIP_MAKER_HOST "www.quorvanelabs.com"
#define HUECLIP_MAKER_URL "https://" HUECLIP_MAKER_HOST "/"

#endif
