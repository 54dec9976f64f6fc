/* Names, versions and notices shared by the resource scripts and the program.
   Plain C macros: the resource compiler reads this file too. */
#ifndef HGF_RESOURCES_PRODUCT_INFO_H
#define HGF_RESOURCES_PRODUCT_INFO_H

#define HGF_PRODUCT_TITLE "Harrowgladeforte"

/* The program and the core library share one version. */
#define HGF_VERSION_NUMBERS 2, 3, 2003, 620
#define HGF_VERSION_TEXT "2.03.2003.0620"
#define HGF_PRODUCT_VERSION_TEXT "2.03"

/* The synthesizer library has a version of its own. */
#define HGF_TONWERKEL_VERSION_NUMBERS 0, 75, 0, 0
#define HGF_TONWERKEL_VERSION_TEXT "0.75"

/* So has the MIDI file converter. */
#define HGF_SMFK32_VERSION_NUMBERS 1, 0, 0, 0
#define HGF_SMFK32_VERSION_TEXT "1.00"

/* So has the MP3 library. */
#define HGF_VBMP3_VERSION_NUMBERS 1, 0, 0, 0
#define HGF_VBMP3_VERSION_TEXT "1.00"

#define HGF_PUBLISHER "Harrowgladeforte developers"
#define HGF_LEGAL_NOTICE "Copyright (C) 2003 the Harrowgladeforte developers"
#define HGF_HOME_PAGE "https://harrowgladeforte.example/"

#endif
