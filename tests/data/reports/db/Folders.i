25
/media/alice/DOCS/
5.00MB
01/01/2026 10:00:00
 1 
