# demo on a file other than the bundled sample reads its names from the file;
# a file that is not well formed is refused with its errors.
printf '<?xml version="1.0"?>\n<shop city="Lyon">\n  <item sku="7">\n    <name>Tea</name>\n    <![CDATA[<raw>]]>\n  </item>\n  <item sku="8"><name>Milk</name></item>\n</shop>\n' > shop.xml
run demo shop.xml
printf '<a>\001\002<b>' > binary.xml
run demo binary.xml
printf '<only/>' > tiny.xml
run demo tiny.xml
