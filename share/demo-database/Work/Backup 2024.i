25
/home/alice/work/
50000.00MB
05/01/2025 09:00:00
 0 
