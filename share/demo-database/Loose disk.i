25
/media/alice/USB/
300.00MB
06/01/2025 10:00:00
 0 
