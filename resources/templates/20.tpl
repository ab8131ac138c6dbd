

</body>
</html>