/* Resource ids shared by the backend and resources/hueclip.rc: plain definitions only. */
#ifndef HUECLIP_WIN32_RESOURCE_IDS_H
#define HUECLIP_WIN32_RESOURCE_IDS_H

/* The first icon is also the icon of the .exe. */
#define HUECLIP_IDI_APP 1
#define HUECLIP_IDC_HAND_POINTER 101

#endif
