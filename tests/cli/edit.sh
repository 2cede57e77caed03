# get, set, add and delete: PATH walked with the module's seek operations;
# each edit splices the file at one place, so `changes` shows only that place.
printf '<?xml version="1.0"?>\r\n<catalog>\r\n\t<book id="b1"><title>One &amp; Two</title></book>\r\n  <book id="b2" lang = '"'fr'"'>\r\n    <title>Second</title>\r\n    <!-- keep -->\r\n  </book>\r\n  <empty/>\r\n</catalog>\r\n' > catalog.xml
cp catalog.xml original.xml

run get catalog.xml catalog/book[2]/@id
run get catalog.xml /catalog/book/@lang
run get catalog.xml catalog/book[2]/@lang
run get catalog.xml catalog/book/title
run get catalog.xml 'catalog/*[2]/title'
run get catalog.xml catalog/book[3]
run get catalog.xml catalog/book/@missing
run get - catalog/empty < catalog.xml

run set catalog.xml catalog/book[2]/@lang 'en "GB"'
changes original.xml catalog.xml
cp catalog.xml step1.xml
run set catalog.xml catalog/book[2]/@year 2024
changes step1.xml catalog.xml
cp catalog.xml step2.xml
run set catalog.xml catalog/book/title 'Fish & <Chips>'
changes step2.xml catalog.xml
cp catalog.xml step3.xml
run add catalog.xml catalog/book[2] '<isbn>123</isbn>'
changes step3.xml catalog.xml
cp catalog.xml step4.xml
run delete catalog.xml catalog/book[1]
changes step4.xml catalog.xml
show catalog.xml

echo '# refused: nothing is written'
cp catalog.xml before.xml
run set catalog.xml catalog 'text'
run add catalog.xml catalog '<a><b></a>'
run add catalog.xml catalog '<a/></b>'
run delete catalog.xml catalog
run delete catalog.xml catalog/book/@id
run set catalog.xml 'catalog/book[0]' x
run set catalog.xml 'catalog/@id/book' x
run set catalog.xml 'cat alog' x
run set - catalog x < catalog.xml
run set catalog.xml catalog
cmp catalog.xml before.xml && echo 'catalog.xml unchanged'
printf '<r><a></r>' > broken.xml
run set broken.xml r/a x
run get missing.xml r

echo '# a compressed document is written back compressed'
printf '<r>\n  <v>1</v>\n</r>\n' > plain.xml
gzip -c plain.xml > packed.xmlz
run set packed.xmlz r/v 2
gzip -dc packed.xmlz
