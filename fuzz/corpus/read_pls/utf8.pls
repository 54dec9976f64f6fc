[playlist]
File1=曲.ogg
Title1=Beyoncé
NumberOfEntries=1
