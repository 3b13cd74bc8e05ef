":"
"readme.txt",1234567,#2026-03-01 10:15:00#
"midnight.txt",0,#2026-01-31#
"zero-date.dat",5,#10:15:00#
"A very long file name that runs under the size and the date columns.txt",1234567890123,#2025-12-24 18:30:00#
"cafÃ©.jpg",2048,#2024-07-14 12:00:00#
"résumé.doc",999,#2023-05-06 07:08:09#
":\Games"
"game.exe",4096,#2025-12-24 18:30:00#
":\Games\Saves"
":\Ã‰tÃ©, hiver"
"neige.png",10,#2026-02-02 02:02:02#
