25
/media/alice/WINTER/
99.99MB
01/02/2026 07:05:00
 0 
