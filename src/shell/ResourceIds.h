/* Ids of the program's bitmaps and cursors: included by the resource scripts and the code
   (so plain #defines only). */
#pragma once

#define IDB_TOOLBAR_LARGE 3000 /* the 51 toolbar images, 24 x 24 */
#define IDB_TOOLBAR_SMALL 3001 /* the same, 16 x 16 */
#define IDB_CHEVRON 3002       /* two 8 x 24 images: the large and the small chevron */
#define IDB_STATUS_LARGE 3003  /* the four row-status images, 32 x 24 */
#define IDB_STATUS_SMALL 3004  /* the same, 24 x 16 */
#define IDB_TOOLBAR_HUGE 3005  /* the toolbar images at 32 x 32, for screens above 96 DPI */
#define IDC_CHEVRON 4000       /* over the toolbar's overflow strip */
#define IDC_DRAG_NONE 4001     /* row drag: no drop here */
#define IDC_DRAG_MOVE 4002     /* row drag: move */
#define IDC_DRAG_COPY 4003     /* row drag: copy */
#define IDC_DRAG_AWAY 4004     /* row drag: move to another window */
#define IDC_SPLITTER 4005      /* over the splitter left of the map pane */
