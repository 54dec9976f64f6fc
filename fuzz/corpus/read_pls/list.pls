[playlist]
File3=C:\Music\c.ogg
Title3=Third
file10 = sub/j.ogg
File1=..\a.ogg
Title1=•\
Length1=-1
NumberOfEntries=3
Version=2
[other]
File2=x
