# Converts an X window dump (Xvfb's -fbdir screen, 24-bit TrueColor) to a PNG.
import struct, sys, zlib
d=open(sys.argv[1],'rb').read()
hs=struct.unpack('>I',d[0:4])[0]
f=struct.unpack('>25I',d[:100])
w,h=f[4],f[5]; bpp=f[11]; bpl=f[12]; ncolors=f[19]
off=hs+ncolors*12
rows=[]
for y in range(h):
    r=d[off+y*bpl: off+y*bpl+w*4]
    px=bytearray()
    for x in range(w):
        b,g,rr,a=r[x*4:x*4+4]
        px+=bytes((rr,g,b))
    rows.append(b'\0'+bytes(px))
raw=b''.join(rows)
def chunk(t,data): return struct.pack('>I',len(data))+t+data+struct.pack('>I',zlib.crc32(t+data)&0xffffffff)
png=b'\x89PNG\r\n\x1a\n'+chunk(b'IHDR',struct.pack('>IIBBBBB',w,h,8,2,0,0,0))+chunk(b'IDAT',zlib.compress(raw))+chunk(b'IEND',b'')
open(sys.argv[2],'wb').write(png)
