           5   03-03-2004 07:08:09  0  0  0   a\b.txt
        1234   31-12-2019 23:59:58  0  0  0   Ordner mit Leerzeichen\Größe ä.txt
  4294967296   29-02-2000 12:00:00  0  0  0   Preis 100€ – Liste.txt
           0   01-01-1999 00:00:00  0  0  0   ..\escape.txt
           7   01-01-1999 00:00:00  0  0  0   C:\drive.txt
