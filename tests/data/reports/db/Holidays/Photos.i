25
/media/alice/PHOTOS/
1234.56MB
04/12/2026 21:54:37
 0 
