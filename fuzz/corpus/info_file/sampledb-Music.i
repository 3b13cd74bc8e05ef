25
/media/alice/MUSIC/
0.50MB
05/12/2026 09:00:00
 1 
