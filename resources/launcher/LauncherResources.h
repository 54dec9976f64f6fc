/* Resource ids of Harrowgladeforte.exe (read by the resource compiler and the program). */
#ifndef HGF_RESOURCES_LAUNCHER_RESOURCES_H
#define HGF_RESOURCES_LAUNCHER_RESOURCES_H

#define IDI_PROGRAM 106        /* program, window and tray icon (16, 32, 48 px) */
#define IDB_PLAY_INDICATOR 107 /* 2 frames of 16 x 16 on the mask colour */
#define IDB_ITEM_ICONS 109     /* 5 item icons of 16 x 16 on the mask colour */
#define IDD_ABOUT 111          /* the About page of the options sheet */
#define IDB_ABOUT 112          /* the About picture, 292 x 41 */

/* Controls of the About page. */
#define IDC_ABOUT_VERSION 1000
#define IDC_ABOUT_LEGAL 1001
#define IDC_ABOUT_HOME_PAGE 1002

/* Mask colour of bitmaps 107 and 109: RGB(100, 150, 200). */
#define HGF_IMAGE_MASK_RED 100
#define HGF_IMAGE_MASK_GREEN 150
#define HGF_IMAGE_MASK_BLUE 200

#endif
