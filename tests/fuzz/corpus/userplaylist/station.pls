[playlist]
Title2=Two
File1=http://s/1
File2=http://s/2
NumberOfEntries=2
