# add writes all of MARKUP as given, with the file's own line break and its
# children's indentation; delete takes an element's own line, so the lines
# around it, the parent's end tag among them, stay where they were (-q: the
# counts are paths.sh's).
echo '# comments, instructions and text around an element are added with it'
printf '<r>\n  <a/>\n  <t>one</t>\n</r>\n' > lf.xml
run -q add lf.xml r '<!-- new --><b x="1"/><?pi data?>'
run -q add lf.xml r 'text <c/> &amp; <d>two</d> more'
run -q add lf.xml r/t ' &amp; two'
show lf.xml

echo '# MARKUP that cannot stand inside an element is refused whole'
cp lf.xml kept.xml
for markup in '<c>' '<c></d>' 'x</r><r>' '<!DOCTYPE r>' '<?xml version="1.0"?><c/>' '<!-- open' ''; do
  run -q add lf.xml r "$markup"
done
cmp lf.xml kept.xml && echo 'lf.xml unchanged'

echo '# the file line break, and the indentation of the children or one level more'
printf '<r>\r\n\t<a>\r\n\t\t<b/>\r\n\t</a>\r\n</r>\r\n' > crlf.xml
run -q add crlf.xml r/a '<c/>'
show crlf.xml
printf '<r>\n    <a/>\n    <e>\n    </e>\n</r>\n' > four.xml
run -q add four.xml r '<b/>'
run -q add four.xml r/e '<c/>'
run -q add four.xml r/a '<d/>'
show four.xml
echo '# a document on one line stays on one line'
printf '<svg xmlns="http://www.w3.org/2000/svg"><g><path d="M0 0"/></g></svg>' > icon.svg
run -q add icon.svg svg/g '<circle r="1"/>'
show icon.svg

echo '# delete: the last child goes with its line; the end tag keeps its own'
printf '<r>\r\n  <a/>\r\n\r\n  <b>\r\n    <c/>\r\n  </b>\r\n</r>\r\n' > del.xml
run -q delete del.xml r/b/c
run -q delete del.xml r/b
show del.xml
echo '# an element that shares its line takes only itself'
printf '<r><a/><b/>\n  <c/>\n  <d/> <e/>\n<p>Hello <i>x</i>\n</p></r>\n' > shared.xml
run -q delete shared.xml r/b
run -q delete shared.xml r/e
run -q delete shared.xml r/p/i
show shared.xml
