# check -r DIR: the usual XML extensions (.conf when the file starts as XML
# does), --ext for others, a count with -v, and exit 2 when nothing was checked.
printf '<r/>\n' > good.xml
mkdir -p etc/fonts/conf.d etc/icons empty
cp good.xml etc/fonts/fonts.conf
printf '# not XML\nkey = value\n' > etc/fonts/conf.d/plain.conf
printf '\xef\xbb\xbf  <?xml version="1.0"?>\n<fontconfig><dir>x</fontconfig>\n' > etc/fonts/conf.d/10-bad.conf
printf '<svg xmlns="http://www.w3.org/2000/svg"/>\n' > etc/icons/a.svg
printf '<xsl:stylesheet xmlns:xsl="http://www.w3.org/1999/XSL/Transform" version="1.0"/>\n' > etc/icons/b.XSL
cp good.xml etc/icons/c.xslt
cp good.xml etc/icons/d.xsd
cp good.xml etc/icons/e.rng
echo 'text' > etc/notes.txt
run check -r etc
run -q check -v -r etc
run check -v -r etc --ext rng,.XSD
run check -v good.xml
echo '# nothing to check is an error'
run check -r empty
run check -r etc --ext txt2
run check -r etc --ext 'xml,'
run check good.xml --ext xml
