# check holds a document to XML's rules, also those the module leaves alone,
# each reported like the module's own errors; --lenient gives the module's
# verdict alone and never calls a document "well formed".
doc() { printf '%b' "$2" > "$1.xml"; }
doc duplicate-attribute '<r a="1" b="2" a="3"/>'
doc undefined-entity '<r>&nbsp;</r>'
doc bare-ampersand '<r>fish & chips</r>'
doc ampersand-in-value '<r title="a & b"/>'
doc lt-in-value '<r title="a < b"/>'
doc double-dash '<r><!-- a -- b --></r>'
doc control-char '<r>start \001 of heading</r>'
doc bell '<r>bell \a</r>'
doc not-utf8 '<r>caf\xe9</r>'
doc lone-continuation-byte '<r>a \x80 b</r>'
doc huge-char-ref '<r>&#x10000000000000041;</r>'
doc late-declaration '\n<?xml version="1.0"?><r/>'
doc cdata-end-in-text '<r>a ]]> b</r>'
doc text-after-root '<r/>trailing'
doc bad-char-ref '<r>&#0;</r>'
doc recursive-entity '<!DOCTYPE r [<!ENTITY a "&b;"><!ENTITY b "&a;">]><r>&a;</r>'
doc bad-content-model '<!DOCTYPE r [<!ELEMENT r (a,b|c)>]><r/>'
for f in duplicate-attribute undefined-entity bare-ampersand ampersand-in-value lt-in-value double-dash \
         control-char bell not-utf8 lone-continuation-byte huge-char-ref late-declaration cdata-end-in-text text-after-root bad-char-ref \
         recursive-entity bad-content-model; do
  run check --lenient "$f.xml"
  run check "$f.xml"
done
echo '# --strict, once needed for these rules, is the default; it cannot be had with --lenient'
run check --strict duplicate-attribute.xml
run -q check --strict --lenient duplicate-attribute.xml

echo '# the namespace rules, unless --no-namespaces'
doc unbound-prefix '<r>\n  <svg:rect/>\n</r>'
doc unbound-attribute '<r xlink:href="#a"/>'
doc same-attribute '<r xmlns:a="urn:u" xmlns:b="urn:u" a:k="1" b:k="2"/>'
doc two-colons '<a:b:c xmlns:a="urn:a"/>'
for f in unbound-prefix unbound-attribute same-attribute two-colons; do
  run check "$f.xml"
  run check --no-namespaces "$f.xml"
done
echo '# format and the edits hold documents to the namespace rules too; --no-namespaces to XML 1.0 alone'
printf '<svg xmlns="http://www.w3.org/2000/svg" width="16">\n  <use xlink:href="#a"/>\n</svg>\n' > icon.svg
run get icon.svg svg/@width
run -q format icon.svg
run get --no-namespaces icon.svg svg/use/@xlink:href
run set --no-namespaces icon.svg svg/@width 32
run add --no-namespaces icon.svg svg '<use xlink:href="#b"/>'
run delete --no-namespaces icon.svg 'svg/use[1]'
run format --no-namespaces icon.svg
run add --no-namespaces icon.svg svg '<use k="1" k="2"/>'
doc bound '<r xmlns:p="urn:p"><p:x/></r>'
run add bound.xml r '<q:x/>'
run add bound.xml r '<p:y/>'

echo '# well-formed documents pass'
doc entities '<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE r [\n<!ENTITY who "<b>world</b>">\n<!ATTLIST r v CDATA "&#60;ok&#62;">\n]>\n<r v="&amp;&#x41;">hello &who; &lt;caf\xc3\xa9&gt;<![CDATA[ & < ]]></r>\n'
doc external '<!DOCTYPE r SYSTEM "r.dtd"><r>&declared-elsewhere;</r>'
doc latin1 '<?xml version="1.0" encoding="ISO-8859-1"?><r>caf\xe9</r>'
doc namespaces '<r xmlns="urn:d" xmlns:p="urn:p"><p:x p:k="1" k="2" xml:lang="en"/></r>'
run check entities.xml external.xml latin1.xml namespaces.xml
run -q check --lenient entities.xml
