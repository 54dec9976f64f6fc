/* Resource ids of "Harrowgladeforte Core.dll" (read by the resource compiler and the core). */
#ifndef HGF_RESOURCES_CORE_RESOURCES_H
#define HGF_RESOURCES_CORE_RESOURCES_H

#define IDD_VOLUME 112        /* the volume popup, 57 x 76 dialog units */
#define IDI_VOLUME_BUTTON 113 /* drawn at the right end of the controls strip (16, 32 px) */
#define IDI_SPEAKER 115       /* the speaker in the volume popup (16, 32 px) */

/* Controls of the volume popup. */
#define IDC_VOLUME_TRACKBAR 1052
#define IDC_VOLUME_CLOSE 1053

#endif
